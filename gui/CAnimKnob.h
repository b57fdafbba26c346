// A film-strip knob: one image of a strip of frames stacked vertically, the frame chosen
// by the value; it tracks the mouse like a knob. Redrawn only when the value changes the
// frame shown.
#pragma once

#include "gui/CKnob.h"

class CAnimKnob : public CKnob
{
  public:
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
              int32_t frameHeight, CBitmap* strip, const CPoint& offset = {});

    // Inverted strips show their last frame at the minimum.
    void setInverse(bool inverse) { inverse_ = inverse; }
    bool getInverse() const { return inverse_; }
    // The vertical offset into the strip of the frame for the current value.
    int32_t frameOffset() const;

    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    bool isClass(const char* name) const override;

  private:
    int32_t frameCount_;
    int32_t frameHeight_;
    bool inverse_ = false;
    int32_t lastDrawnFrame_ = -1;
};

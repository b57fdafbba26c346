// A film strip of frames stacked vertically, held as the background; the value picks the
// frame. It only shows a value: nothing about it responds to the mouse.
#pragma once

#include "gui/CControl.h"

class CMovieBitmap : public CControl
{
  public:
    CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
                 int32_t frameHeight, CBitmap* strip, const CPoint& offset = {});

    // The frame the current value shows, from 0: values at or below 0 show the first,
    // values at or above 1 the last.
    int32_t frameIndex() const;

    // Values above 1 are brought down to 1 first.
    void draw(CDrawContext* context) override;
    bool isClass(const char* name) const override;

  private:
    CPoint offset_;
    int32_t frameCount_;
    int32_t frameHeight_;
};

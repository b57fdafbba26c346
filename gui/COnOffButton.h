// A two-state button: a strip of two images (off above, on below); a press toggles it.
#pragma once

#include "gui/CControl.h"

// Tell the listener after the button has redrawn (0) or before (1).
constexpr int32_t kPostListenerUpdate = 0;
constexpr int32_t kPreListenerUpdate = 1;

class COnOffButton : public CControl
{
  public:
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* strip,
                 int32_t style = kPostListenerUpdate);

    int32_t getStyle() const { return style_; }
    void setStyle(int32_t style) { style_ = style; }

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool isClass(const char* name) const override;

  private:
    void tellListener(CDrawContext* context);

    int32_t style_;
};

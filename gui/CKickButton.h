// A momentary button: 1 while pressed with the pointer over it, 0 otherwise and after the
// release. A strip of two images: released above, pressed below.
#pragma once

#include "gui/CControl.h"

class CKickButton : public CControl
{
  public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t imageHeight,
                CBitmap* strip, const CPoint& offset = {});

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool isClass(const char* name) const override;

  private:
    CPoint offset_;
    int32_t imageHeight_;
};

// A knob: a background image with a handle (an image, or two short lines) placed on a
// circle by the value. Dragged around the circle, or up/down and left/right in the host's
// linear knob mode; also follows the wheel and the arrow keys while it has the focus.
#pragma once

#include "gui/CControl.h"

class CKnob : public CControl
{
  public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
          CBitmap* handle, const CPoint& offset = {});
    ~CKnob() override;

    virtual void paintHandle(CDrawContext* context);
    // Angles in radians, counter-clockwise from the right, with the vertical axis up. The
    // value coefficients follow min and max as they are at this call.
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle_; }
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return rangeAngle_; }
    // The handle's point for the current value, relative to the top-left corner.
    virtual CPoint handlePointOf() const;
    // The value a point (relative to the top-left corner) stands for; a point in the dead
    // zone below the knob gives the nearer end.
    virtual float valueAtPoint(const CPoint& where) const;
    virtual void setInset(int32_t inset) { inset_ = inset; }
    virtual int32_t getInset() const { return inset_; }
    // The colour of the first handle line.
    virtual void setShadowColor(const CColor& colour);
    // The colour of the second handle line.
    virtual void setHandleColor(const CColor& colour);
    virtual void setHandleImage(CBitmap* handle);
    // With Shift a linear drag needs this many times the distance.
    virtual void setFineFactor(float factor) { fineFactor_ = factor; }
    virtual float getFineFactor() const { return fineFactor_; }

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool onWheel(CDrawContext* context, CPoint where, float distance) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    bool isClass(const char* name) const override;

  protected:
    void drawBackground(CDrawContext* context);
    // Adds delta to the value and tells the listener inside a gesture of its own.
    void step(CDrawContext* context, float delta);

    CPoint offset_;

  private:
    void computeCoefficients();
    float angleOfValue() const;

    CColor handleColor_{255, 255, 255, 255};
    CColor shadowColor_{64, 64, 64, 255};
    CBitmap* handle_ = nullptr;
    int32_t inset_;
    float startAngle_ = 0.0f;
    float rangeAngle_ = 0.0f;
    float halfAngle_ = 0.0f;
    float aCoef_ = 0.0f;
    float bCoef_ = 0.0f;
    float radius_;
    float fineFactor_ = 1.5f;
};

// A slider: a handle image moved along a track over a background image.
#pragma once

#include "gui/CControl.h"

// Style bits: the axis, and whether the maximum lies at the top (or left) end.
constexpr int32_t kSliderHorizontal = 1;
constexpr int32_t kSliderVertical = 2;
constexpr int32_t kSliderMaxAtStart = 64;

class CSlider : public CControl
{
  public:
    // firstPosition and lastPosition are the handle's first and last position along the
    // axis, in the same coordinates as size.
    CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t firstPosition,
            int32_t lastPosition, CBitmap* handle, CBitmap* background, const CPoint& offset,
            int32_t style);
    ~CSlider() override;

    // Moves the handle image across the axis, relative to the slider's rectangle.
    void setOffsetHandle(const CPoint& offset) { handleOffset_ = offset; }
    // With Shift a drag moves 1 / factor as far.
    void setFineFactor(float factor) { fineFactor_ = factor; }
    // Whether a press anywhere moves the handle there (otherwise only the handle drags).
    void setFreeClick(bool freeClick) { freeClick_ = freeClick; }
    // The handle's rectangle for the current value.
    CRect handleRect() const;

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool isClass(const char* name) const override;

  private:
    bool vertical() const { return (style_ & kSliderVertical) != 0; }
    // The value for a handle at this position along the axis.
    float valueAtPosition(float position) const;

    CBitmap* handle_;
    CPoint offset_;
    CPoint handleOffset_;
    int32_t handleWidth_;
    int32_t handleHeight_;
    int32_t firstPosition_;
    int32_t travel_;
    int32_t style_;
    float fineFactor_ = 10.0f;
    bool freeClick_ = true;
};

class CVerticalSlider : public CSlider
{
  public:
    CVerticalSlider(const CRect& size, CControlListener* listener, int32_t tag,
                    int32_t firstPosition, int32_t lastPosition, CBitmap* handle,
                    CBitmap* background, const CPoint& offset = {});
};

// An LED bar meter: an off-bitmap above and an on-bitmap below a split that follows the
// value. The bar moves toward its target by at most one step per draw in one direction and
// at once in the other, so it stays dirty while it trails and each redraw moves it on.
#pragma once

#include "gui/CControl.h"

class COffscreenContext;

class CVuMeter : public CControl
{
  public:
    // Holds one reference on each bitmap; ledCount LEDs span the height.
    CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, int32_t ledCount);
    ~CVuMeter() override;

    // A step of 0 or more falls by the step per draw and rises at once; a negative step
    // rises by its size per draw and falls at once. Non-finite steps are ignored.
    void setDecreaseStep(float step);
    float getDecreaseStep() const { return decreaseStep_; }

    void draw(CDrawContext* context) override;
    // Only the view's own flag: the position drawn last stays, so the meter is dirty while
    // it differs from the target.
    void setDirty(bool dirty = true) override;
    bool onAttached(CViewContainer* parent) override;
    bool onRemoved(CViewContainer* parent) override;
    bool isClass(const char* name) const override;

  private:
    // The drawn position after one more step toward the target.
    float nextPosition() const;
    // The number of pixel rows from the top that show the off-bitmap.
    int32_t splitRow(float position) const;
    // Draws the bar with its top-left corner at origin.
    void drawBar(CDrawContext* context, const CPoint& origin, int32_t split);
    void makeOffscreen();

    CBitmap* onBitmap_;
    CBitmap* offBitmap_;
    COffscreenContext* offscreen_ = nullptr;
    int32_t ledCount_;
    float decreaseStep_ = 0.1f;
};

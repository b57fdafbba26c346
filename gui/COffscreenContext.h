// A drawing context over a private image of its own, used as a back buffer and copied to
// another context in one blit.
#pragma once

#include "gui/CDrawContext.h"

class COffscreenContext : public CDrawContext
{
  public:
    // An image of width by height, starting uniformly in the background colour, which also
    // becomes the fill and frame colour. An empty or absurd size gives a context that
    // draws nothing.
    COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& background);

    // Copies from sourcePoint of this image into destinationRect of the destination
    // (destinationRect in the destination's coordinates, its offset applied).
    void copyTo(CDrawContext* destination, const CRect& destinationRect,
                const CPoint& sourcePoint = {});
    // Copies sourceRect (this context's offset applied) to destinationPoint, a device
    // position of the destination.
    void copyToPoint(const CRect& sourceRect, CDrawContext* destination,
                     const CPoint& destinationPoint);

    int32_t getWidth() const { return width_; }
    int32_t getHeight() const { return height_; }
    CColor getBackgroundColor() const { return background_; }

  private:
    int32_t width_;
    int32_t height_;
    CColor background_;
};

#include "gui/COffscreenContext.h"

#include "gui/platform/Platform.h"

COffscreenContext::COffscreenContext(CFrame* frame, int32_t width, int32_t height,
                                     const CColor& background)
    : CDrawContext(frame, platform::createMemoryDevice(width, height), {0, 0, width, height}),
      width_(width), height_(height), background_(background)
{
    const CRect whole{0, 0, width, height};
    setFillColor(background);
    setFrameColor(background);
    fillRect(whole);
    drawRect(whole);
}

void COffscreenContext::copyTo(CDrawContext* destination, const CRect& destinationRect,
                               const CPoint& sourcePoint)
{
    if (destination == nullptr || destination->device() == nullptr || device() == nullptr)
    {
        return;
    }
    destination->device()->copyFrom(*device(), destinationRect.moved(destination->getOffset()),
                                    sourcePoint);
}

void COffscreenContext::copyToPoint(const CRect& sourceRect, CDrawContext* destination,
                                    const CPoint& destinationPoint)
{
    if (destination == nullptr || destination->device() == nullptr || device() == nullptr)
    {
        return;
    }
    const CRect target =
        rectAt(destinationPoint.h, destinationPoint.v, sourceRect.width(), sourceRect.height());
    destination->device()->copyFrom(*device(), target, sourceRect.topLeft() + getOffset());
}

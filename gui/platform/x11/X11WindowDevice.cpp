#include "gui/platform/x11/X11WindowDevice.h"

#include <algorithm>

#include "gui/platform/x11/X11Window.h"

CRect unionOf(const CRect& a, const CRect& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

X11WindowDevice::X11WindowDevice(PixelImage& backBuffer, X11Window& window)
    : RasterDevice(backBuffer), window_(window), clip_(bounds())
{
}

X11WindowDevice::~X11WindowDevice()
{
    if (!touched_.isEmpty())
    {
        window_.show(touched_);
    }
}

void X11WindowDevice::touch(const CRect& area)
{
    const CRect drawn = area.intersected(clip_);
    if (drawn.isEmpty())
    {
        return;
    }
    touched_ = touched_.isEmpty() ? drawn : unionOf(touched_, drawn);
}

void X11WindowDevice::setClip(const CRect& clip)
{
    RasterDevice::setClip(clip);
    clip_ = clip.intersected(bounds());
}

// A line's pixels lie inside the clip; the clip is a view being drawn, so taking all of it
// costs little and needs no line geometry here.
void X11WindowDevice::lineTo(const CPoint& point)
{
    RasterDevice::lineTo(point);
    touch(clip_);
}

void X11WindowDevice::fillRect(const CRect& rect)
{
    RasterDevice::fillRect(rect);
    touch(rect);
}

void X11WindowDevice::drawText(const char* text, const CRect& box, CHoriTxtAlign alignment,
                               bool opaque)
{
    RasterDevice::drawText(text, box, alignment, opaque);
    touch(box);
}

void X11WindowDevice::copyFrom(const DrawDevice& source, const CRect& destination,
                               const CPoint& sourceOrigin)
{
    RasterDevice::copyFrom(source, destination, sourceOrigin);
    touch(destination);
}

void X11WindowDevice::drawBitmap(const PlatformBitmap& bitmap, const CRect& destination,
                                 const CPoint& sourceOrigin)
{
    RasterDevice::drawBitmap(bitmap, destination, sourceOrigin);
    touch(destination);
}

void X11WindowDevice::drawBitmapTransparent(const PlatformBitmap& bitmap, const CRect& destination,
                                            const CPoint& sourceOrigin, const CColor& transparent)
{
    RasterDevice::drawBitmapTransparent(bitmap, destination, sourceOrigin, transparent);
    touch(destination);
}

void X11WindowDevice::drawBitmapAlpha(const PlatformBitmap& bitmap, const CRect& destination,
                                      const CPoint& sourceOrigin, uint8_t alpha)
{
    RasterDevice::drawBitmapAlpha(bitmap, destination, sourceOrigin, alpha);
    touch(destination);
}

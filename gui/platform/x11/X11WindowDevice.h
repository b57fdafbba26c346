// The device of one drawing pass on an X11 window: it draws into the window's back buffer
// like any raster device and, when the pass ends, has the window show the area it touched.
#pragma once

#include "gui/platform/raster/RasterDevice.h"

class X11Window;

// The smallest rectangle holding both.
CRect unionOf(const CRect& a, const CRect& b);

class X11WindowDevice : public RasterDevice
{
  public:
    X11WindowDevice(PixelImage& backBuffer, X11Window& window);
    ~X11WindowDevice() override;

    // The area drawn so far, within the device (empty before the first drawing).
    const CRect& touched() const { return touched_; }

    void setClip(const CRect& clip) override;
    void lineTo(const CPoint& point) override;
    void fillRect(const CRect& rect) override;
    void drawText(const char* text, const CRect& box, CHoriTxtAlign alignment,
                  bool opaque) override;
    void copyFrom(const DrawDevice& source, const CRect& destination,
                  const CPoint& sourceOrigin) override;
    void drawBitmap(const PlatformBitmap& bitmap, const CRect& destination,
                    const CPoint& sourceOrigin) override;
    void drawBitmapTransparent(const PlatformBitmap& bitmap, const CRect& destination,
                               const CPoint& sourceOrigin, const CColor& transparent) override;
    void drawBitmapAlpha(const PlatformBitmap& bitmap, const CRect& destination,
                         const CPoint& sourceOrigin, uint8_t alpha) override;

  private:
    void touch(const CRect& area);

    X11Window& window_;
    CRect clip_;
    CRect touched_;
};

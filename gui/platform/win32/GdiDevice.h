// The GDI drawing device: a device context of a window, of a paint pass or of a memory
// bitmap, with the pens, brushes and fonts the context asks for. What it selects it
// deletes again, and the objects that were selected before come back when it goes.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/platform/DrawDevice.h"

class GdiDevice : public DrawDevice
{
  public:
    // A memory device of width by height, starting black; null when the size is empty or
    // absurd, or GDI cannot make it.
    static std::unique_ptr<GdiDevice> createMemory(int32_t width, int32_t height);
    // The client area of the window, through a device context fetched for this device.
    static std::unique_ptr<GdiDevice> createForWindow(HWND window);
    // Draws into a device context someone else owns (a paint pass), of the given area.
    GdiDevice(HDC dc, const CRect& area);
    ~GdiDevice() override;
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

    CRect bounds() const override { return bounds_; }
    void selectPen(const CColor& colour, int32_t width) override;
    bool selectBrush(const CColor& colour) override;
    void selectFont(const FontDescription& font) override;
    void setTextColor(const CColor& colour) override;
    void setBackColor(const CColor& colour) override;
    void setClip(const CRect& clip) override;
    void moveTo(const CPoint& point) override;
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
    PixelImage readPixels() const override;

    HDC dc() const { return dc_; }

  private:
    GdiDevice(HDC dc, const CRect& area, HWND window, HBITMAP surface);
    // Runs draw with the bitmap selected into a memory device of its own.
    template <typename Draw> void withBitmapDc(const PlatformBitmap& bitmap, Draw draw);
    void drawMasked(HDC source, const CRect& destination, const CPoint& sourceOrigin,
                    COLORREF transparent);
    void blendInSoftware(HDC source, const CRect& destination, const CPoint& sourceOrigin,
                         uint8_t alpha);

    HDC dc_;
    CRect bounds_;
    HWND window_;     // set when dc_ was fetched with GetDC
    HBITMAP surface_; // set for a memory device
    HGDIOBJ previousSurface_ = nullptr;
    HGDIOBJ previousPen_;
    HGDIOBJ previousBrush_;
    HGDIOBJ previousFont_;
    HPEN pen_ = nullptr;
    HBRUSH brush_ = nullptr;
    HFONT font_ = nullptr;
};

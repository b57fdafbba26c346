// The software drawing device: a 32-bit BGRX top-down image with the semantics of the GDI
// calls the views were written against (one-pixel solid pens that leave the end point,
// brush fills, rectangular clips, blits, text through FreeType).
#pragma once

#include <cstdint>

#include "gui/PixelImage.h"
#include "gui/platform/DrawDevice.h"

struct SizedFont;

class RasterDevice : public DrawDevice
{
  public:
    // Draws into target, which must outlive the device (a window's image).
    explicit RasterDevice(PixelImage& target);
    // Draws into an image of its own, width by height, starting black.
    RasterDevice(int32_t width, int32_t height);
    RasterDevice(const RasterDevice&) = delete;
    RasterDevice& operator=(const RasterDevice&) = delete;

    CRect bounds() const override { return {0, 0, target_.width, target_.height}; }
    void selectPen(const CColor& colour, int32_t width) override;
    bool selectBrush(const CColor& colour) override;
    void selectFont(const FontDescription& font) override;
    void setTextColor(const CColor& colour) override { textPixel_ = pixelOf(colour); }
    void setBackColor(const CColor& colour) override { backPixel_ = pixelOf(colour); }
    void setClip(const CRect& clip) override { clip_ = clip.intersected(bounds()); }
    void moveTo(const CPoint& point) override { position_ = point; }
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
    PixelImage readPixels() const override { return target_; }

    const PixelImage& image() const { return target_; }
    // How many pens, brushes and fonts this device was asked to make.
    int32_t pensMade() const { return pensMade_; }
    int32_t brushesMade() const { return brushesMade_; }
    int32_t fontsMade() const { return fontsMade_; }
    // The font selected last, or null before the first or when none could be found.
    const SizedFont* currentFont() const { return font_; }

  private:
    void plot(int32_t x, int32_t y, uint32_t pixel);
    void fillArea(const CRect& area, uint32_t pixel);
    template <typename Combine>
    void blit(const PixelImage& source, const CRect& destination, const CPoint& sourceOrigin,
              Combine combine);
    void drawGlyph(int32_t penX, int32_t baseline, unsigned char character, const CRect& area);

    PixelImage owned_;
    PixelImage& target_;
    CRect clip_;
    CPoint position_;
    uint32_t penPixel_ = 0;
    uint32_t brushPixel_ = 0;
    uint32_t textPixel_ = 0;
    uint32_t backPixel_ = 0xFFFFFF;
    const SizedFont* font_ = nullptr;
    int32_t pensMade_ = 0;
    int32_t brushesMade_ = 0;
    int32_t fontsMade_ = 0;
};

// The drawing surface a context talks to: a window's device or an off-screen image. Each
// back end (the software raster here, GDI on Windows) implements it with its own semantics
// matched to the GDI calls the views were written against.
#pragma once

#include <cstdint>

#include "gui/GuiTypes.h"
#include "gui/PixelImage.h"

// Horizontal placement of text in its rectangle.
enum CHoriTxtAlign : int32_t
{
    kLeftText = 0,
    kCenterText = 1,
    kRightText = 2,
};

// What a context asks a device for when it selects a font.
struct FontDescription
{
    const char* face = "Arial";
    int32_t pixelSize = 12; // the em height in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool decorative = false; // a symbol face: any face the font lookup offers will do
};

// An image a device can copy from; its pixels belong to the back end.
class PlatformBitmap
{
  public:
    virtual ~PlatformBitmap() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
};

class DrawDevice
{
  public:
    virtual ~DrawDevice() = default;

    // The device's pixel area, (0, 0, width, height).
    virtual CRect bounds() const = 0;

    // Each call makes a new platform pen, brush or font and selects it.
    virtual void selectPen(const CColor& colour, int32_t width) = 0;
    // False when the brush cannot be made; the previous one then stays.
    virtual bool selectBrush(const CColor& colour) = 0;
    virtual void selectFont(const FontDescription& font) = 0;
    virtual void setTextColor(const CColor& colour) = 0;
    // The colour behind opaque text.
    virtual void setBackColor(const CColor& colour) = 0;
    // Every drawing operation, copies included, stays inside this device rectangle.
    virtual void setClip(const CRect& clip) = 0;

    virtual void moveTo(const CPoint& point) = 0;
    // A line in the pen from the current position, not painting its end point, which
    // becomes the current position.
    virtual void lineTo(const CPoint& point) = 0;
    // Fills the pixels of the rectangle (right and bottom exclusive) with the brush.
    virtual void fillRect(const CRect& rect) = 0;
    // One line of text in the font and text colour, vertically centred in the box and
    // clipped to it; opaque paints the text's cell in the back colour first.
    virtual void drawText(const char* text, const CRect& box, CHoriTxtAlign alignment,
                          bool opaque) = 0;

    // Copies the destination's size from the source device, starting at sourceOrigin.
    virtual void copyFrom(const DrawDevice& source, const CRect& destination,
                          const CPoint& sourceOrigin) = 0;
    virtual void drawBitmap(const PlatformBitmap& bitmap, const CRect& destination,
                            const CPoint& sourceOrigin) = 0;
    // As drawBitmap, skipping the pixels of the transparent colour.
    virtual void drawBitmapTransparent(const PlatformBitmap& bitmap, const CRect& destination,
                                       const CPoint& sourceOrigin, const CColor& transparent) = 0;
    // As drawBitmap, mixed with what is there: alpha 255 covers, 0 leaves it.
    virtual void drawBitmapAlpha(const PlatformBitmap& bitmap, const CRect& destination,
                                 const CPoint& sourceOrigin, uint8_t alpha) = 0;

    // A copy of every pixel of the device.
    virtual PixelImage readPixels() const = 0;
};

#include "gui/platform/win32/GdiDevice.h"

#include <algorithm>
#include <cstring>

#include "gui/PixelImage.h"
#include "gui/platform/win32/GdiBitmap.h"
#include "gui/platform/win32/ImageLibrary.h"

namespace
{
// Larger memory devices (256 MB) are refused rather than asked of GDI.
constexpr int64_t kMaxDevicePixels = int64_t(1) << 26;
// Pitch and family of the text faces (variable pitch, Swiss) and of the symbol face
// (decorative).
constexpr BYTE kTextPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
constexpr BYTE kSymbolPitchAndFamily = DEFAULT_PITCH | FF_DECORATIVE;

COLORREF colorRef(const CColor& colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

RECT toRect(const CRect& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// A 32-bit top-down bitmap whose pixels the program can reach.
struct PixelSurface
{
    PixelSurface(HDC compatible, int32_t width, int32_t height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        bitmap = CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        pixels = static_cast<uint32_t*>(memory);
        dc = CreateCompatibleDC(compatible);
        if (bitmap != nullptr && dc != nullptr)
        {
            previous = SelectObject(dc, bitmap);
        }
    }
    ~PixelSurface()
    {
        if (previous != nullptr)
        {
            SelectObject(dc, previous);
        }
        if (dc != nullptr)
        {
            DeleteDC(dc);
        }
        if (bitmap != nullptr)
        {
            DeleteObject(bitmap);
        }
    }
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    bool valid() const { return previous != nullptr && pixels != nullptr; }

    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;
};
} // namespace

std::unique_ptr<GdiDevice> GdiDevice::createMemory(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxDevicePixels)
    {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HBITMAP surface = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (surface == nullptr || dc == nullptr)
    {
        if (surface != nullptr)
        {
            DeleteObject(surface);
        }
        if (dc != nullptr)
        {
            DeleteDC(dc);
        }
        return nullptr;
    }
    return std::unique_ptr<GdiDevice>(new GdiDevice(dc, {0, 0, width, height}, nullptr, surface));
}

std::unique_ptr<GdiDevice> GdiDevice::createForWindow(HWND window)
{
    RECT client{};
    if (window == nullptr || !GetClientRect(window, &client))
    {
        return nullptr;
    }
    HDC dc = GetDC(window);
    if (dc == nullptr)
    {
        return nullptr;
    }
    return std::unique_ptr<GdiDevice>(
        new GdiDevice(dc, {0, 0, client.right, client.bottom}, window, nullptr));
}

GdiDevice::GdiDevice(HDC dc, const CRect& area) : GdiDevice(dc, area, nullptr, nullptr) {}

GdiDevice::GdiDevice(HDC dc, const CRect& area, HWND window, HBITMAP surface)
    : dc_(dc), bounds_(area), window_(window), surface_(surface)
{
    if (surface_ != nullptr)
    {
        previousSurface_ = SelectObject(dc_, surface_);
        PatBlt(dc_, 0, 0, area.width(), area.height(), BLACKNESS);
    }
    previousPen_ = GetCurrentObject(dc_, OBJ_PEN);
    previousBrush_ = GetCurrentObject(dc_, OBJ_BRUSH);
    previousFont_ = GetCurrentObject(dc_, OBJ_FONT);
    SetBkMode(dc_, TRANSPARENT);
}

GdiDevice::~GdiDevice()
{
    SelectObject(dc_, previousPen_);
    SelectObject(dc_, previousBrush_);
    SelectObject(dc_, previousFont_);
    SelectClipRgn(dc_, nullptr);
    for (HGDIOBJ own : {HGDIOBJ(pen_), HGDIOBJ(brush_), HGDIOBJ(font_)})
    {
        if (own != nullptr)
        {
            DeleteObject(own);
        }
    }
    if (surface_ != nullptr)
    {
        SelectObject(dc_, previousSurface_);
        DeleteDC(dc_);
        DeleteObject(surface_);
    }
    else if (window_ != nullptr)
    {
        ReleaseDC(window_, dc_);
    }
}

void GdiDevice::selectPen(const CColor& colour, int32_t)
{
    // Every line of the toolkit is one pixel wide, whatever width was asked for.
    HPEN pen = CreatePen(PS_SOLID, 1, colorRef(colour));
    if (pen == nullptr)
    {
        return;
    }
    SelectObject(dc_, pen);
    if (pen_ != nullptr)
    {
        DeleteObject(pen_);
    }
    pen_ = pen;
}

bool GdiDevice::selectBrush(const CColor& colour)
{
    HBRUSH brush = CreateSolidBrush(colorRef(colour));
    if (brush == nullptr)
    {
        return false;
    }
    SelectObject(dc_, brush);
    if (brush_ != nullptr)
    {
        DeleteObject(brush_);
    }
    brush_ = brush;
    return true;
}

void GdiDevice::selectFont(const FontDescription& font)
{
    LOGFONTA description{};
    description.lfHeight = -font.pixelSize;
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = font.italic ? TRUE : FALSE;
    description.lfUnderline = font.underline ? TRUE : FALSE;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = font.decorative ? kSymbolPitchAndFamily : kTextPitchAndFamily;
    if (font.face != nullptr)
    {
        strncpy(description.lfFaceName, font.face, LF_FACESIZE - 1);
    }
    HFONT made = CreateFontIndirectA(&description);
    if (made == nullptr)
    {
        return;
    }
    SelectObject(dc_, made);
    if (font_ != nullptr)
    {
        DeleteObject(font_);
    }
    font_ = made;
}

void GdiDevice::setTextColor(const CColor& colour)
{
    SetTextColor(dc_, colorRef(colour));
}

void GdiDevice::setBackColor(const CColor& colour)
{
    SetBkColor(dc_, colorRef(colour));
}

void GdiDevice::setClip(const CRect& clip)
{
    const CRect inside = clip.intersected(bounds_);
    HRGN region = inside.isEmpty()
                      ? CreateRectRgn(0, 0, 0, 0)
                      : CreateRectRgn(inside.left, inside.top, inside.right, inside.bottom);
    if (region == nullptr)
    {
        return;
    }
    SelectClipRgn(dc_, region);
    DeleteObject(region);
}

void GdiDevice::moveTo(const CPoint& point)
{
    MoveToEx(dc_, point.h, point.v, nullptr);
}

void GdiDevice::lineTo(const CPoint& point)
{
    LineTo(dc_, point.h, point.v);
}

void GdiDevice::fillRect(const CRect& rect)
{
    if (rect.isEmpty())
    {
        return;
    }
    const RECT area = toRect(rect);
    FillRect(dc_, &area, brush_ != nullptr ? brush_ : HBRUSH(GetCurrentObject(dc_, OBJ_BRUSH)));
}

void GdiDevice::drawText(const char* text, const CRect& box, CHoriTxtAlign alignment, bool opaque)
{
    if (text == nullptr)
    {
        return;
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    format |= alignment == kCenterText ? DT_CENTER : alignment == kRightText ? DT_RIGHT : DT_LEFT;
    RECT area = toRect(box);
    SetBkMode(dc_, opaque ? OPAQUE : TRANSPARENT);
    DrawTextA(dc_, text, -1, &area, format);
    SetBkMode(dc_, TRANSPARENT);
}

void GdiDevice::copyFrom(const DrawDevice& source, const CRect& destination,
                         const CPoint& sourceOrigin)
{
    const auto* gdi = dynamic_cast<const GdiDevice*>(&source);
    if (gdi == nullptr || destination.isEmpty())
    {
        return;
    }
    BitBlt(dc_, destination.left, destination.top, destination.width(), destination.height(),
           gdi->dc_, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
}

template <typename Draw> void GdiDevice::withBitmapDc(const PlatformBitmap& bitmap, Draw draw)
{
    HDC source = CreateCompatibleDC(dc_);
    if (source == nullptr)
    {
        return;
    }
    HGDIOBJ previous = SelectObject(source, static_cast<const GdiBitmap&>(bitmap).handle());
    draw(source);
    SelectObject(source, previous);
    DeleteDC(source);
}

void GdiDevice::drawBitmap(const PlatformBitmap& bitmap, const CRect& destination,
                           const CPoint& sourceOrigin)
{
    if (destination.isEmpty())
    {
        return;
    }
    withBitmapDc(bitmap,
                 [&](HDC source)
                 {
                     BitBlt(dc_, destination.left, destination.top, destination.width(),
                            destination.height(), source, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
                 });
}

void GdiDevice::drawBitmapTransparent(const PlatformBitmap& bitmap, const CRect& destination,
                                      const CPoint& sourceOrigin, const CColor& transparent)
{
    if (destination.isEmpty())
    {
        return;
    }
    // Only the part that has source pixels: TransparentBlt refuses to read outside them.
    const CRect sourceArea{0, 0, bitmap.width(), bitmap.height()};
    const CPoint shift = destination.topLeft() - sourceOrigin;
    const CRect area = destination.intersected(sourceArea.moved(shift));
    if (area.isEmpty())
    {
        return;
    }
    const CPoint from = area.topLeft() - shift;
    withBitmapDc(bitmap,
                 [&](HDC source)
                 {
                     if (TransparentBltFunction blit = ImageLibrary::transparentBlt())
                     {
                         blit(dc_, area.left, area.top, area.width(), area.height(), source, from.h,
                              from.v, area.width(), area.height(), colorRef(transparent));
                         return;
                     }
                     drawMasked(source, area, from, colorRef(transparent));
                 });
}

void GdiDevice::drawMasked(HDC source, const CRect& destination, const CPoint& sourceOrigin,
                           COLORREF transparent)
{
    const int32_t width = destination.width();
    const int32_t height = destination.height();
    HDC maskDc = CreateCompatibleDC(dc_);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (maskDc == nullptr || mask == nullptr)
    {
        if (maskDc != nullptr)
        {
            DeleteDC(maskDc);
        }
        if (mask != nullptr)
        {
            DeleteObject(mask);
        }
        return;
    }
    HGDIOBJ previousMask = SelectObject(maskDc, mask);
    // One bit per pixel: set where the source has the transparent colour.
    const COLORREF sourceBack = SetBkColor(source, transparent);
    BitBlt(maskDc, 0, 0, width, height, source, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
    SetBkColor(source, sourceBack);
    // d ^ s, then & mask (white keeps, black clears), then ^ s: the destination where the
    // mask is set, the source elsewhere.
    const COLORREF back = SetBkColor(dc_, RGB(255, 255, 255));
    const COLORREF text = SetTextColor(dc_, RGB(0, 0, 0));
    const int32_t x = destination.left;
    const int32_t y = destination.top;
    BitBlt(dc_, x, y, width, height, source, sourceOrigin.h, sourceOrigin.v, SRCINVERT);
    BitBlt(dc_, x, y, width, height, maskDc, 0, 0, SRCAND);
    BitBlt(dc_, x, y, width, height, source, sourceOrigin.h, sourceOrigin.v, SRCINVERT);
    SetBkColor(dc_, back);
    SetTextColor(dc_, text);
    SelectObject(maskDc, previousMask);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

void GdiDevice::drawBitmapAlpha(const PlatformBitmap& bitmap, const CRect& destination,
                                const CPoint& sourceOrigin, uint8_t alpha)
{
    const CRect sourceArea{0, 0, bitmap.width(), bitmap.height()};
    const CPoint shift = destination.topLeft() - sourceOrigin;
    const CRect area = destination.intersected(sourceArea.moved(shift)).intersected(bounds_);
    if (area.isEmpty())
    {
        return;
    }
    const CPoint from = area.topLeft() - shift;
    withBitmapDc(bitmap,
                 [&](HDC source)
                 {
                     if (AlphaBlendFunction blend = ImageLibrary::alphaBlend())
                     {
                         const BLENDFUNCTION constant{AC_SRC_OVER, 0, alpha, 0};
                         blend(dc_, area.left, area.top, area.width(), area.height(), source,
                               from.h, from.v, area.width(), area.height(), constant);
                         return;
                     }
                     blendInSoftware(source, area, from, alpha);
                 });
}

void GdiDevice::blendInSoftware(HDC source, const CRect& destination, const CPoint& sourceOrigin,
                                uint8_t alpha)
{
    const int32_t width = destination.width();
    const int32_t height = destination.height();
    PixelSurface under(dc_, width, height);
    PixelSurface over(dc_, width, height);
    if (!under.valid() || !over.valid())
    {
        return;
    }
    BitBlt(under.dc, 0, 0, width, height, dc_, destination.left, destination.top, SRCCOPY);
    BitBlt(over.dc, 0, 0, width, height, source, sourceOrigin.h, sourceOrigin.v, SRCCOPY);
    GdiFlush();
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i)
    {
        under.pixels[i] = mixPixels(over.pixels[i], under.pixels[i], alpha);
    }
    BitBlt(dc_, destination.left, destination.top, width, height, under.dc, 0, 0, SRCCOPY);
}

PixelImage GdiDevice::readPixels() const
{
    PixelImage image;
    PixelSurface copy(dc_, bounds_.width(), bounds_.height());
    if (bounds_.isEmpty() || !copy.valid())
    {
        return image;
    }
    BitBlt(copy.dc, 0, 0, bounds_.width(), bounds_.height(), dc_, bounds_.left, bounds_.top,
           SRCCOPY);
    GdiFlush();
    image.width = bounds_.width();
    image.height = bounds_.height();
    image.pixels.assign(copy.pixels, copy.pixels + size_t(image.width) * size_t(image.height));
    for (uint32_t& pixel : image.pixels)
    {
        pixel &= 0x00FFFFFF;
    }
    return image;
}

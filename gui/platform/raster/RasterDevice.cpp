#include "gui/platform/raster/RasterDevice.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gui/platform/raster/FontCache.h"
#include "gui/platform/raster/RasterBitmap.h"

namespace
{
// Longer lines are first cut to the clip: only absurd coordinates make them.
constexpr int64_t kLongLine = 1 << 16;

// The area of `rect` moved by (dh, dv), kept inside the 32-bit range.
CRect shifted(const CRect& rect, int64_t dh, int64_t dv)
{
    auto clamp = [](int64_t value)
    { return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); };
    return {clamp(rect.left + dh), clamp(rect.top + dv), clamp(rect.right + dh),
            clamp(rect.bottom + dv)};
}

// Cuts the segment to the box (parametric clipping); false when nothing of it is inside.
// endCut tells whether the end point was moved.
bool cutToBox(double& x0, double& y0, double& x1, double& y1, const CRect& box, bool& endCut)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - box.left, box.right - 1 - x0, y0 - box.top, box.bottom - 1 - y0};
    for (int i = 0; i < 4; ++i)
    {
        if (p[i] == 0.0)
        {
            if (q[i] < 0.0)
            {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
        {
            t0 = std::max(t0, t);
        }
        else
        {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1)
    {
        return false;
    }
    endCut = t1 < 1.0;
    const double startX = x0;
    const double startY = y0;
    x0 = startX + t0 * dx;
    y0 = startY + t0 * dy;
    x1 = startX + t1 * dx;
    y1 = startY + t1 * dy;
    return true;
}
} // namespace

RasterDevice::RasterDevice(PixelImage& target) : target_(target), clip_(bounds()) {}

RasterDevice::RasterDevice(int32_t width, int32_t height) : target_(owned_)
{
    owned_.width = width;
    owned_.height = height;
    owned_.pixels.assign(size_t(width) * size_t(height), 0);
    clip_ = bounds();
}

void RasterDevice::selectPen(const CColor& colour, int32_t)
{
    penPixel_ = pixelOf(colour);
    ++pensMade_;
}

bool RasterDevice::selectBrush(const CColor& colour)
{
    brushPixel_ = pixelOf(colour);
    ++brushesMade_;
    return true;
}

void RasterDevice::selectFont(const FontDescription& font)
{
    font_ = FontCache::shared().font(font);
    ++fontsMade_;
}

void RasterDevice::plot(int32_t x, int32_t y, uint32_t pixel)
{
    if (clip_.contains({x, y}))
    {
        target_.pixels[size_t(y) * size_t(target_.width) + size_t(x)] = pixel;
    }
}

void RasterDevice::lineTo(const CPoint& point)
{
    int64_t x0 = position_.h;
    int64_t y0 = position_.v;
    int64_t x1 = point.h;
    int64_t y1 = point.v;
    position_ = point;
    if (clip_.isEmpty() || std::max(x0, x1) < clip_.left || std::min(x0, x1) >= clip_.right ||
        std::max(y0, y1) < clip_.top || std::min(y0, y1) >= clip_.bottom)
    {
        return;
    }
    if (std::max(std::abs(x1 - x0), std::abs(y1 - y0)) > kLongLine)
    {
        double fx0 = double(x0), fy0 = double(y0), fx1 = double(x1), fy1 = double(y1);
        bool endCut = false;
        if (!cutToBox(fx0, fy0, fx1, fy1, clip_, endCut))
        {
            return;
        }
        x0 = std::llround(fx0);
        y0 = std::llround(fy0);
        x1 = std::llround(fx1);
        y1 = std::llround(fy1);
        if (endCut)
        {
            // The cut end lies on the clip's edge, inside the line: it is painted.
            plot(int32_t(x1), int32_t(y1), penPixel_);
        }
    }
    // Bresenham's walk from the start up to, but not including, the end point.
    const int64_t dx = std::abs(x1 - x0);
    const int64_t dy = -std::abs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1;
    const int64_t sy = y0 < y1 ? 1 : -1;
    int64_t error = dx + dy;
    while (x0 != x1 || y0 != y1)
    {
        plot(int32_t(x0), int32_t(y0), penPixel_);
        const int64_t doubled = 2 * error;
        if (doubled >= dy)
        {
            error += dy;
            x0 += sx;
        }
        if (doubled <= dx)
        {
            error += dx;
            y0 += sy;
        }
    }
}

void RasterDevice::fillArea(const CRect& rect, uint32_t pixel)
{
    const CRect area = rect.intersected(clip_);
    if (area.isEmpty())
    {
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y)
    {
        uint32_t* row = &target_.pixels[size_t(y) * size_t(target_.width)];
        std::fill(row + area.left, row + area.right, pixel);
    }
}

void RasterDevice::fillRect(const CRect& rect)
{
    fillArea(rect, brushPixel_);
}

void RasterDevice::drawGlyph(int32_t penX, int32_t baseline, unsigned char character,
                             const CRect& area)
{
    const Glyph& glyph = FontCache::shared().glyph(*font_, character);
    const int32_t left = penX + glyph.left;
    const int32_t top = baseline - glyph.top;
    const CRect inked = rectAt(left, top, glyph.width, glyph.rows).intersected(area);
    for (int32_t y = inked.top; y < inked.bottom; ++y)
    {
        const uint8_t* coverage = &glyph.coverage[size_t(y - top) * size_t(glyph.width)];
        uint32_t* row = &target_.pixels[size_t(y) * size_t(target_.width)];
        for (int32_t x = inked.left; x < inked.right; ++x)
        {
            const uint32_t amount = coverage[x - left];
            if (amount != 0)
            {
                row[x] = mixPixels(textPixel_, row[x], amount);
            }
        }
    }
}

void RasterDevice::drawText(const char* text, const CRect& box, CHoriTxtAlign alignment,
                            bool opaque)
{
    const CRect area = box.intersected(clip_);
    if (text == nullptr || font_ == nullptr || area.isEmpty())
    {
        return;
    }
    FontCache& cache = FontCache::shared();
    const int32_t width = cache.textWidth(*font_, text);
    const int32_t height = font_->ascent + font_->descent;
    int32_t x = box.left;
    if (alignment == kCenterText)
    {
        x = box.left + (box.width() - width) / 2;
    }
    else if (alignment == kRightText)
    {
        x = box.right - width;
    }
    const int32_t y = box.top + (box.height() - height) / 2;
    const int32_t baseline = y + font_->ascent;
    if (opaque)
    {
        fillArea(rectAt(x, y, width, height).intersected(area), backPixel_);
    }
    for (const char* c = text; *c != '\0'; ++c)
    {
        const auto character = static_cast<unsigned char>(*c);
        drawGlyph(x, baseline, character, area);
        x += cache.glyph(*font_, character).advance;
    }
    if (font_->underline)
    {
        fillArea(
            rectAt(x - width, baseline + font_->underlineOffset, width, font_->underlineThickness)
                .intersected(area),
            textPixel_);
    }
}

template <typename Combine>
void RasterDevice::blit(const PixelImage& source, const CRect& destination,
                        const CPoint& sourceOrigin, Combine combine)
{
    // Only destination pixels inside the clip that have a source pixel are touched.
    const int64_t dh = int64_t(destination.left) - sourceOrigin.h;
    const int64_t dv = int64_t(destination.top) - sourceOrigin.v;
    const CRect area = destination.intersected(clip_).intersected(
        shifted({0, 0, source.width, source.height}, dh, dv));
    if (area.isEmpty())
    {
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y)
    {
        const uint32_t* from = &source.pixels[size_t(y - dv) * size_t(source.width)];
        uint32_t* to = &target_.pixels[size_t(y) * size_t(target_.width)];
        for (int32_t x = area.left; x < area.right; ++x)
        {
            to[x] = combine(from[x - dh], to[x]);
        }
    }
}

void RasterDevice::copyFrom(const DrawDevice& source, const CRect& destination,
                            const CPoint& sourceOrigin)
{
    const auto* raster = dynamic_cast<const RasterDevice*>(&source);
    if (raster == nullptr)
    {
        return;
    }
    auto copy = [](uint32_t from, uint32_t) { return from; };
    if (&raster->target_ == &target_)
    {
        // Overlapping areas of one image: copy from a snapshot.
        const PixelImage snapshot = target_;
        blit(snapshot, destination, sourceOrigin, copy);
        return;
    }
    blit(raster->target_, destination, sourceOrigin, copy);
}

void RasterDevice::drawBitmap(const PlatformBitmap& bitmap, const CRect& destination,
                              const CPoint& sourceOrigin)
{
    const auto& image = static_cast<const RasterBitmap&>(bitmap).image();
    blit(image, destination, sourceOrigin, [](uint32_t from, uint32_t) { return from; });
}

void RasterDevice::drawBitmapTransparent(const PlatformBitmap& bitmap, const CRect& destination,
                                         const CPoint& sourceOrigin, const CColor& transparent)
{
    const auto& image = static_cast<const RasterBitmap&>(bitmap).image();
    const uint32_t key = pixelOf(transparent);
    blit(image, destination, sourceOrigin,
         [key](uint32_t from, uint32_t to) { return from == key ? to : from; });
}

void RasterDevice::drawBitmapAlpha(const PlatformBitmap& bitmap, const CRect& destination,
                                   const CPoint& sourceOrigin, uint8_t alpha)
{
    const auto& image = static_cast<const RasterBitmap&>(bitmap).image();
    blit(image, destination, sourceOrigin,
         [alpha](uint32_t from, uint32_t to) { return mixPixels(from, to, alpha); });
}

#include "GraphFixture.h"

namespace graphs
{
int countInRow(const PixelImage& image, int32_t y, int32_t x0, int32_t x1, const CColor& colour)
{
    int count = 0;
    for (int32_t x = x0; x < x1; ++x)
        count += image.at(x, y) == pixelOf(colour) ? 1 : 0;
    return count;
}

CRect inkIn(const PixelImage& image, const CRect& area, uint32_t background)
{
    CRect bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            if (image.at(x, y) != background)
                bounds = {std::min(bounds.left, x), std::min(bounds.top, y),
                          std::max(bounds.right, x + 1), std::max(bounds.bottom, y + 1)};
    return bounds.isEmpty() ? CRect{} : bounds;
}

bool onlyInside(const PixelImage& image, const CColor& colour, const std::vector<CRect>& allowed)
{
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
        {
            if (image.at(x, y) != pixelOf(colour))
                continue;
            bool inside = false;
            for (const CRect& rect : allowed)
                inside = inside || rect.contains({x, y});
            if (!inside)
                return false;
        }
    return true;
}

std::vector<CRect> inkRuns(const PixelImage& image, const CRect& strip)
{
    constexpr int32_t kGlyphGap = 2;
    std::vector<CRect> runs;
    for (int32_t x = strip.left; x < strip.right; ++x)
    {
        bool ink = false;
        for (int32_t y = strip.top; y < strip.bottom; ++y)
            ink = ink || image.at(x, y) != kBackdrop;
        if (!ink)
            continue;
        if (runs.empty() || x - runs.back().right > kGlyphGap)
            runs.push_back({x, strip.top, x + 1, strip.bottom});
        else
            runs.back().right = x + 1;
    }
    return runs;
}
} // namespace graphs

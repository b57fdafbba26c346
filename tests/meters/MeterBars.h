// Bitmaps for LED bars whose every pixel tells which bitmap and which source row it came
// from, and a reading of a drawn bar as one character per row.
#pragma once

#include <string>

#include "gui/PixelImage.h"

// The base colours of the lit and the dark bitmaps.
constexpr uint32_t kLitBase = 0xC00000;
constexpr uint32_t kDarkBase = 0x00C000;

// A bitmap whose row r is filled with base | r.
inline PixelImage rowCoded(int32_t width, int32_t height, uint32_t base)
{
    PixelImage image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int32_t y = 0; y < height; ++y)
    {
        for (int32_t x = 0; x < width; ++x)
        {
            image.pixels[size_t(y * width + x)] = base | uint32_t(y);
        }
    }
    return image;
}

// Row by row from the top of bar: 'o' where the lit bitmap's own row shows across the whole
// width, '.' where the dark one's does, '?' for anything else (another source row, a
// missing column, the background).
inline std::string barOf(const PixelImage& image, const CRect& bar)
{
    std::string rows;
    for (int32_t y = 0; y < bar.height(); ++y)
    {
        char row = 0;
        for (int32_t x = 0; x < bar.width(); ++x)
        {
            const uint32_t pixel = image.at(bar.left + x, bar.top + y);
            const char here = pixel == (kLitBase | uint32_t(y))    ? 'o'
                              : pixel == (kDarkBase | uint32_t(y)) ? '.'
                                                                   : '?';
            row = row == 0 || row == here ? here : '?';
        }
        rows += row;
    }
    return rows;
}

// A bar of rows rows whose lowest lit rows are lit.
inline std::string litFromBottom(int32_t lit, int32_t rows = 36)
{
    return std::string(size_t(rows - lit), '.') + std::string(size_t(lit), 'o');
}

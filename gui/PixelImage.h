// A plain top-down image of 0x00RRGGBB pixels (blue in the lowest byte, like a BGRX surface).
#pragma once

#include <cstdint>
#include <vector>

#include "gui/GuiTypes.h"

struct PixelImage
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int32_t x, int32_t y) const
    {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
};

// The pixel word of a colour (its alpha is not part of it).
constexpr uint32_t pixelOf(const CColor& colour)
{
    return uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 | uint32_t(colour.blue);
}

constexpr CColor colourOfPixel(uint32_t pixel)
{
    return {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 255};
}

// over laid on under with an opacity of amount out of 255, channel by channel, rounded.
constexpr uint32_t mixPixels(uint32_t over, uint32_t under, uint32_t amount)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        const uint32_t o = (over >> shift) & 0xFF;
        const uint32_t u = (under >> shift) & 0xFF;
        result |= ((o * amount + u * (255 - amount) + 127) / 255) << shift;
    }
    return result;
}

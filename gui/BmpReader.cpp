#include "gui/BmpReader.h"

#include <cstdint>

namespace
{
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr int64_t kMaxSide = 32768;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

uint32_t read32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t read16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
} // namespace

std::optional<PixelImage> decodeBmp(const unsigned char* bytes, size_t size)
{
    if (bytes == nullptr || size < kFileHeaderBytes + kInfoHeaderBytes || bytes[0] != 'B' ||
        bytes[1] != 'M')
    {
        return std::nullopt;
    }
    const unsigned char* info = bytes + kFileHeaderBytes;
    const uint32_t dataOffset = read32(bytes + 10);
    const uint32_t infoSize = read32(info);
    const int64_t width = int32_t(read32(info + 4));
    const int64_t signedHeight = int32_t(read32(info + 8));
    const uint16_t planes = read16(info + 12);
    const uint16_t bitsPerPixel = read16(info + 14);
    const uint32_t compression = read32(info + 16);
    // A negative height marks rows stored top-down.
    const bool topDown = signedHeight < 0;
    const int64_t height = topDown ? -signedHeight : signedHeight;
    if (infoSize < kInfoHeaderBytes || planes != 1 || bitsPerPixel != 24 || compression != 0 ||
        width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        width * height > kMaxPixels)
    {
        return std::nullopt;
    }
    const int64_t rowBytes = (width * 3 + 3) / 4 * 4;
    if (dataOffset < kFileHeaderBytes + infoSize ||
        int64_t(dataOffset) + rowBytes * height > int64_t(size))
    {
        return std::nullopt;
    }

    PixelImage image;
    image.width = int32_t(width);
    image.height = int32_t(height);
    image.pixels.resize(size_t(width * height));
    for (int64_t row = 0; row < height; ++row)
    {
        const int64_t y = topDown ? row : height - 1 - row;
        const unsigned char* source = bytes + dataOffset + row * rowBytes;
        uint32_t* target = &image.pixels[size_t(y * width)];
        for (int64_t x = 0; x < width; ++x)
        {
            target[x] = uint32_t(source[3 * x]) | uint32_t(source[3 * x + 1]) << 8 |
                        uint32_t(source[3 * x + 2]) << 16;
        }
    }
    return image;
}

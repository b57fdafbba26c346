#include "resources/generator/BmpWriter.h"

#include <fstream>

namespace
{
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dots per inch

void put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}
} // namespace

std::vector<uint8_t> encodeBmp(const Canvas& canvas)
{
    const uint32_t width = uint32_t(canvas.width());
    const uint32_t height = uint32_t(canvas.height());
    const uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = rowBytes * height;
    const uint32_t dataOffset = kFileHeaderBytes + kInfoHeaderBytes;

    std::vector<uint8_t> out;
    out.reserve(dataOffset + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, dataOffset + imageBytes);
    put32(out, 0); // reserved
    put32(out, dataOffset);

    put32(out, kInfoHeaderBytes);
    put32(out, width);
    put32(out, height); // positive: rows run bottom-up
    put16(out, 1);      // planes
    put16(out, 24);     // bits per pixel
    put32(out, 0);      // no compression
    put32(out, imageBytes);
    put32(out, uint32_t(kPixelsPerMetre));
    put32(out, uint32_t(kPixelsPerMetre));
    put32(out, 0); // colours used: none, no palette
    put32(out, 0); // important colours

    for (uint32_t row = 0; row < height; ++row)
    {
        const int y = int(height - 1 - row);
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t r = 0;
            uint8_t g = 0;
            uint8_t b = 0;
            canvas.bytesAt(int(x), y, r, g, b);
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        for (uint32_t pad = width * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

bool writeBmp(const Canvas& canvas, const std::string& path)
{
    const std::vector<uint8_t> bytes = encodeBmp(canvas);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

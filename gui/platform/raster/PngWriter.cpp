#include "gui/platform/raster/PngWriter.h"

#include <cstring>
#include <vector>

#include <png.h>

#include "gui/CDrawContext.h"

bool writePng(const PixelImage& image, const char* path)
{
    if (path == nullptr || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
    {
        return false;
    }
    std::vector<uint8_t> rgb(image.pixels.size() * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i)
    {
        const uint32_t pixel = image.pixels[i];
        rgb[3 * i] = uint8_t(pixel >> 16);
        rgb[3 * i + 1] = uint8_t(pixel >> 8);
        rgb[3 * i + 2] = uint8_t(pixel);
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;
    const int written = png_image_write_to_file(&png, path, 0, rgb.data(), 0, nullptr);
    png_image_free(&png);
    return written != 0;
}

bool writePng(const CDrawContext& context, const char* path)
{
    return writePng(context.readPixels(), path);
}

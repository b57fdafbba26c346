#include "resources/generator/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool writePng(const Canvas& canvas, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    // Allocated before setjmp so that a libpng error cannot jump over its destructor.
    std::vector<png_byte> row(size_t(canvas.width()) * 3);
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0)
    {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(canvas.width()), png_uint_32(canvas.height()), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < canvas.height(); ++y)
        {
            for (int x = 0; x < canvas.width(); ++x)
                canvas.bytesAt(x, y, row[size_t(x) * 3], row[size_t(x) * 3 + 1],
                               row[size_t(x) * 3 + 2]);
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

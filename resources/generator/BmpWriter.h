// Uncompressed 24-bit BMP files: a BITMAPFILEHEADER, a BITMAPINFOHEADER and bottom-up rows of
// blue, green, red bytes, each row padded to a multiple of 4 bytes.
#pragma once

#include "resources/generator/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> encodeBmp(const Canvas& canvas);
// Writes the encoded canvas; false when the file cannot be written.
bool writeBmp(const Canvas& canvas, const std::string& path);

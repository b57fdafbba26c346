// Decodes the bitmap files the resources are made of: uncompressed 24-bit BMP.
#pragma once

#include <cstddef>
#include <optional>

#include "gui/PixelImage.h"

// The image, or nothing when the bytes are not a well-formed uncompressed 24-bit BMP of a
// sensible size.
std::optional<PixelImage> decodeBmp(const unsigned char* bytes, size_t size);

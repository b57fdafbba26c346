// The preview image as an 8-bit RGB PNG (libpng).
#pragma once

#include "resources/generator/Canvas.h"

#include <string>

// False when the file cannot be written.
bool writePng(const Canvas& canvas, const std::string& path);

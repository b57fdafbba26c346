// Writes images, such as the contents of an off-screen context, to PNG files.
#pragma once

#include "gui/PixelImage.h"

class CDrawContext;

// False when the image is empty or the file cannot be written.
bool writePng(const PixelImage& image, const char* path);
bool writePng(const CDrawContext& context, const char* path);

// A bitmap of the software back end: its pixels in memory.
#pragma once

#include "gui/PixelImage.h"
#include "gui/platform/DrawDevice.h"

class RasterBitmap : public PlatformBitmap
{
  public:
    explicit RasterBitmap(PixelImage image) : image_(std::move(image)) {}

    int32_t width() const override { return image_.width; }
    int32_t height() const override { return image_.height; }
    const PixelImage& image() const { return image_; }

  private:
    PixelImage image_;
};

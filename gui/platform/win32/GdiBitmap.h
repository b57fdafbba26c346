// A bitmap of the GDI back end: a bitmap handle it owns, loaded from the module's resources.
#pragma once

#include <windows.h>

#include "gui/platform/DrawDevice.h"

class GdiBitmap : public PlatformBitmap
{
  public:
    // Takes ownership of the handle.
    GdiBitmap(HBITMAP bitmap, int32_t width, int32_t height)
        : bitmap_(bitmap), width_(width), height_(height)
    {
    }
    ~GdiBitmap() override { DeleteObject(bitmap_); }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;

    int32_t width() const override { return width_; }
    int32_t height() const override { return height_; }
    HBITMAP handle() const { return bitmap_; }

  private:
    HBITMAP bitmap_;
    int32_t width_;
    int32_t height_;
};

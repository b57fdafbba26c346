#include "gui/platform/raster/HeadlessWindow.h"

#include "gui/platform/raster/RasterDevice.h"

HeadlessWindow::HeadlessWindow(int32_t width, int32_t height)
{
    resize(width, height, true);
}

void HeadlessWindow::resize(int32_t width, int32_t height, bool)
{
    image_.width = width;
    image_.height = height;
    image_.pixels.assign(size_t(width) * size_t(height), 0);
}

std::unique_ptr<DrawDevice> HeadlessWindow::createDevice()
{
    if (image_.pixels.empty())
    {
        return nullptr;
    }
    return std::make_unique<RasterDevice>(image_);
}

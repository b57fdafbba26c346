// The software back end's answers to the toolkit's platform calls.
#include "gui/BitmapResources.h"
#include "gui/BmpReader.h"
#include "gui/CFrame.h"
#include "gui/platform/InputSource.h"
#include "gui/platform/Platform.h"
#include "gui/platform/raster/HeadlessWindow.h"
#include "gui/platform/raster/RasterBitmap.h"
#include "gui/platform/raster/RasterDevice.h"
#include "gui/platform/x11/X11Input.h"
#include "gui/platform/x11/X11Window.h"

namespace
{
// Images larger than this (256 MB) are refused rather than allocated.
constexpr int64_t kMaxDevicePixels = int64_t(1) << 26;

bool sensibleSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width * height <= kMaxDevicePixels;
}

} // namespace

namespace platform
{
std::unique_ptr<DrawDevice> createMemoryDevice(int32_t width, int32_t height)
{
    if (!sensibleSize(width, height))
    {
        return nullptr;
    }
    return std::make_unique<RasterDevice>(width, height);
}

std::unique_ptr<PlatformBitmap> loadResourceBitmap(int32_t id)
{
    const BitmapResource* resource = findBitmapResource(id);
    if (resource == nullptr)
    {
        return nullptr;
    }
    std::optional<PixelImage> image = decodeBmp(resource->bytes, resource->size);
    if (!image)
    {
        return nullptr;
    }
    return std::make_unique<RasterBitmap>(std::move(*image));
}

// With a parent, an X11 child window: the host passes its window's XID in the pointer.
std::unique_ptr<FrameWindow> createFrameWindow(void* parentWindow, CFrame& frame)
{
    const CRect size = frame.getSize();
    if (!sensibleSize(size.width(), size.height()))
    {
        return nullptr;
    }
    if (parentWindow == nullptr)
    {
        return std::make_unique<HeadlessWindow>(size.width(), size.height());
    }
    return X11Window::create(reinterpret_cast<uintptr_t>(parentWindow), frame);
}

InputSource& systemInput()
{
    static X11Input input;
    return input;
}
} // namespace platform

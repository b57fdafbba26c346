// The software back end's answers to the toolkit's platform calls.
#include <chrono>

#include "gui/BitmapResources.h"
#include "gui/BmpReader.h"
#include "gui/CFrame.h"
#include "gui/platform/InputSource.h"
#include "gui/platform/Platform.h"
#include "gui/platform/raster/HeadlessWindow.h"
#include "gui/platform/raster/RasterBitmap.h"
#include "gui/platform/raster/RasterDevice.h"

namespace
{
// Images larger than this (256 MB) are refused rather than allocated.
constexpr int64_t kMaxDevicePixels = int64_t(1) << 26;
constexpr int32_t kDoubleClickMs = 500;

bool sensibleSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width * height <= kMaxDevicePixels;
}

// Without a window system nothing is pressed and the pointer rests at the origin.
class IdleInput : public InputSource
{
  public:
    int32_t mouseButtons() override { return 0; }
    CPoint cursorPosition() override { return {}; }
    uint32_t ticks() override
    {
        using namespace std::chrono;
        return uint32_t(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    int32_t doubleClickTime() override { return kDoubleClickMs; }
};
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

// This back end has only the in-memory window; a window system binding takes the parent
// window when there is one.
std::unique_ptr<FrameWindow> createFrameWindow(void*, CFrame& frame)
{
    const CRect size = frame.getSize();
    if (!sensibleSize(size.width(), size.height()))
    {
        return nullptr;
    }
    return std::make_unique<HeadlessWindow>(size.width(), size.height());
}

InputSource& systemInput()
{
    static IdleInput input;
    return input;
}
} // namespace platform

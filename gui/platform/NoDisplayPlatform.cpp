// The platform calls of a build without a drawing back end: no device, no bitmap, no
// window. An editor built on it cannot open, and says so.
#include "gui/platform/InputSource.h"
#include "gui/platform/Platform.h"

namespace
{
class NoInput : public InputSource
{
  public:
    int32_t mouseButtons() override { return 0; }
    CPoint cursorPosition() override { return {}; }
    uint32_t ticks() override { return 0; }
    int32_t doubleClickTime() override { return 0; }
};
} // namespace

namespace platform
{
std::unique_ptr<DrawDevice> createMemoryDevice(int32_t, int32_t)
{
    return nullptr;
}

std::unique_ptr<PlatformBitmap> loadResourceBitmap(int32_t)
{
    return nullptr;
}

std::unique_ptr<FrameWindow> createFrameWindow(void*, CFrame&)
{
    return nullptr;
}

InputSource& systemInput()
{
    static NoInput input;
    return input;
}
} // namespace platform

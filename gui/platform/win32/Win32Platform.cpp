// The Windows answers to the toolkit's platform calls: GDI devices and bitmaps, the child
// window of the host's window, and the system's mouse and clock.
#include "gui/platform/InputSource.h"
#include "gui/platform/Platform.h"
#include "gui/platform/win32/GdiBitmap.h"
#include "gui/platform/win32/GdiDevice.h"
#include "gui/platform/win32/ModuleInstance.h"
#include "gui/platform/win32/Win32FrameWindow.h"
#include "gui/platform/win32/Win32Input.h"

namespace
{
// Resource ids are 16-bit; a larger value would be taken for the address of a name.
constexpr int32_t kMaxResourceId = 0xFFFF;
} // namespace

namespace platform
{
std::unique_ptr<DrawDevice> createMemoryDevice(int32_t width, int32_t height)
{
    return GdiDevice::createMemory(width, height);
}

std::unique_ptr<PlatformBitmap> loadResourceBitmap(int32_t id)
{
    if (id <= 0 || id > kMaxResourceId)
    {
        return nullptr;
    }
    HBITMAP bitmap = LoadBitmapA(thisModule(), MAKEINTRESOURCEA(id));
    if (bitmap == nullptr)
    {
        return nullptr;
    }
    BITMAP description{};
    if (GetObjectA(bitmap, sizeof(description), &description) == 0)
    {
        DeleteObject(bitmap);
        return nullptr;
    }
    return std::make_unique<GdiBitmap>(bitmap, description.bmWidth, description.bmHeight);
}

// Windows has no in-memory frame window: without a parent window (or with a handle that is
// not a window) the frame gets none and draws nothing.
std::unique_ptr<FrameWindow> createFrameWindow(void* parentWindow, CFrame& frame)
{
    return Win32FrameWindow::create(static_cast<HWND>(parentWindow), frame);
}

InputSource& systemInput()
{
    static Win32Input input;
    return input;
}
} // namespace platform

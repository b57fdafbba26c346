// What the toolkit asks of the back end it is built with.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/GuiTypes.h"
#include "gui/platform/DrawDevice.h"
#include "gui/platform/FrameWindow.h"

class CFrame;

namespace platform
{
// An off-screen device of the given size; null when the size is empty or too large.
std::unique_ptr<DrawDevice> createMemoryDevice(int32_t width, int32_t height);

// The bitmap of the binary's resources with this id; null when there is none.
std::unique_ptr<PlatformBitmap> loadResourceBitmap(int32_t id);

// The window of a frame: a child of parentWindow, or an in-memory window of the frame's
// size when parentWindow is null (headless use).
std::unique_ptr<FrameWindow> createFrameWindow(void* parentWindow, CFrame& frame);
} // namespace platform

// The platform window a frame lives in. The window binding forwards painting, presses,
// wheel turns and keys to its frame; the frame asks it for drawing devices.
#pragma once

#include <memory>

#include "gui/GuiTypes.h"
#include "gui/platform/DrawDevice.h"

class CFrame;

class FrameWindow
{
  public:
    virtual ~FrameWindow() = default;

    // A device drawing into the window, for one drawing pass; null when it cannot draw.
    virtual std::unique_ptr<DrawDevice> createDevice() = 0;
    // The window's top-left corner on the screen.
    virtual CPoint screenOrigin() const = 0;
    // The platform's handle of the window, null for a window that only exists in memory.
    virtual void* handle() const = 0;
    // Handles the window system's pending events; called from the frame's idle. A window
    // whose events arrive by themselves (Win32 messages) or that has none does nothing.
    virtual void pollEvents() {}
};

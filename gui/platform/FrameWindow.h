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
    // Handles one pending paint request of the thread's windows, so that a long drag does not
    // leave uncovered parts of the screen unpainted. Bindings that paint from their event
    // poll do nothing.
    virtual void dispatchPendingPaint() {}
    // Gives the window, and its back buffer, a new size; the frame is drawn anew when the
    // window system next asks for it. hostResized tells whether the host has already fitted
    // its own window to the new size; when it has not, a binding may resize the windows
    // around its own.
    virtual void resize(int32_t width, int32_t height, bool hostResized) = 0;
    // The top-left corner, in its parent's coordinates, of the window that holds the
    // editor: the first one up from this window that has a caption or border or no parent,
    // or whose parent differs from this window in size by more than 60 pixels. False when
    // the window system cannot tell.
    virtual bool outerPosition(CPoint&) const { return false; }
    // The outer rectangle of this window's parent in the coordinates of the parent's parent.
    // False when the window system cannot tell.
    virtual bool parentBounds(CRect&) const { return false; }
};

// A frame's window on Windows: a child window of the host's window in a class of this
// module, whose window procedure turns painting, presses, wheel turns and the 25 ms timer
// into frame operations. It also holds the image library and an OLE drop target.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/platform/FrameWindow.h"

class COffscreenContext;
class DropTarget;

// The cursors setCursor knows; any other type restores the cursor from before the first change.
enum CCursorType : int32_t
{
    kCursorDefault = 0,
    kCursorWait = 1,
    kCursorHSize = 2,
    kCursorVSize = 3,
    kCursorSizeAll = 4,
    kCursorNESWSize = 5,
    kCursorNWSESize = 6,
    kCursorNotAllowed = 8,
    kCursorHand = 9,
};

class Win32FrameWindow : public FrameWindow
{
  public:
    void dispatchPendingPaint() override;
    // Period of the timer that refreshes the editor.
    static constexpr UINT kTickMs = 25;

    // A child of parent at (0, 0) with the frame's size; null when parent is not a window
    // or the window cannot be made.
    static std::unique_ptr<Win32FrameWindow> create(HWND parent, CFrame& frame);
    // Destroys the window (unless its parent already took it along) and unregisters the
    // class with the last window of the module.
    ~Win32FrameWindow() override;
    Win32FrameWindow(const Win32FrameWindow&) = delete;
    Win32FrameWindow& operator=(const Win32FrameWindow&) = delete;

    // While a paint message is handled, a device on its paint context; otherwise one on
    // the window. Null once the window is gone.
    std::unique_ptr<DrawDevice> createDevice() override;
    CPoint screenOrigin() const override;
    void* handle() const override { return window_; }
    // With the host's window already fitted, only the frame's window changes size; without,
    // the windows up to the editor's outer window are grown or shrunk with it.
    void resize(int32_t width, int32_t height, bool hostResized) override;
    bool outerPosition(CPoint& where) const override;
    bool parentBounds(CRect& bounds) const override;

    void setCursor(int32_t type);
    // Registers (on) or revokes (off) the drop target; false without a window.
    bool setDropActive(bool on);

    // The module's window class: "Plugin" and the module handle.
    static const char* className();

  private:
    explicit Win32FrameWindow(CFrame& frame);
    bool open(HWND parent);
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT paint(WPARAM wParam, LPARAM lParam);
    LRESULT press(LPARAM lParam);
    LRESULT wheel(WPARAM wParam, LPARAM lParam);
    void windowGone();
    void fitAncestors(int32_t width, int32_t height);
    void releaseBackBuffer();

    CFrame& frame_;
    HWND window_ = nullptr;
    bool oleReady_ = false;
    bool classHeld_ = false;
    HDC paintDc_ = nullptr;
    COffscreenContext* backBuffer_ = nullptr;
    DropTarget* dropTarget_ = nullptr;
    bool dropRegistered_ = false;
    HCURSOR defaultCursor_ = nullptr;
    bool cursorChanged_ = false;
};

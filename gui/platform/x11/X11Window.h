// A frame's window on X11: a child of the host's window on a connection of its own. The
// frame draws into a back buffer of the window's size; each drawing pass copies what it
// touched to the window, and an exposure is repainted from the buffer. Presses, wheel
// turns and keys are handed to the frame when the events are polled.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "gui/PixelImage.h"
#include "gui/platform/FrameWindow.h"
#include "gui/platform/x11/XConnection.h"

class CFrame;

class X11Window : public FrameWindow
{
  public:
    // The window of frame inside the host window parent, of the frame's size; null when
    // there is no display, parent is not a window or no 24-bit true-colour visual exists.
    static std::unique_ptr<X11Window> create(XID parent, CFrame& frame);
    // Destroys the window and closes the connection (a lost one took the window with it).
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Null once the window is gone: nothing is drawn then.
    std::unique_ptr<DrawDevice> createDevice() override;
    CPoint screenOrigin() const override;
    void* handle() const override { return reinterpret_cast<void*>(window_); }
    // Resizes this window and its back buffer; the next exposure draws the whole frame.
    // The host's windows are left to the host.
    void resize(int32_t width, int32_t height, bool hostResized) override;
    // Window borders stand for the captions and borders of other window systems.
    bool outerPosition(CPoint& where) const override;
    bool parentBounds(CRect& bounds) const override;

    // Handles every pending event: exposures, presses, wheel turns, keys and the end of
    // the window, then runs the editor's timer tick when 25 ms have passed since the last
    // one (X has no window timer). While a press is being handled (a control tracking the
    // pointer), only exposures and the window's end are taken; input waits for the next poll.
    // A lost connection closes the frame.
    void pollEvents() override;
    // Copies area of the back buffer to the window, unless the window shows it already.
    void show(const CRect& area);
    // True once the window has been destroyed under the frame (its host window went away) or
    // its connection to the server is lost: nothing is drawn and no input is taken then.
    bool lost() const { return lost_ || connection_->lost(); }
    // The pointer's position on the screen and its buttons' mask (X's own); false when the
    // window is lost or the query fails.
    bool queryPointer(CPoint& position, unsigned int& mask);

    Display* display() const { return display_; }
    Window window() const { return window_; }
    // The window whose connection the pointer is polled on: the one opened last, or null.
    static X11Window* latest();

  private:
    X11Window(std::unique_ptr<XConnection> connection, CFrame& frame, int32_t width,
              int32_t height);
    bool build(XID parent);
    bool makeImage();
    void releaseImage();
    void dispatch(const XEvent& event, std::optional<CRect>& exposed);
    void press(const XButtonEvent& event);
    void key(XKeyEvent& event);
    void repaint(const CRect& area);
    // True when the window got every pixel of area as the back buffer holds it now.
    bool alreadySent(const CRect& area) const;
    // Copies area (inside the buffer) to the window.
    void send(const CRect& area);
    void lose();
    void runTimer();

    std::unique_ptr<XConnection> connection_;
    Display* display_; // the connection's

    CFrame& frame_;
    PixelImage backBuffer_;
    // The pixels last sent to the window, once it has been sent whole.
    std::vector<uint32_t> sent_;
    bool sentWhole_ = false;
    Window window_ = 0;
    Window root_ = 0;
    Colormap colormap_ = 0;
    Visual* visual_ = nullptr;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    bool lost_ = false;
    bool handlingPress_ = false;
    bool painted_ = false;
    uint32_t lastTimerTick_;
};

// Catches the X protocol errors of one connection while it lives. Xlib's default error
// handler ends the process, which a plug-in must never do to its host, so every sequence of
// X calls runs under a trap, and the handler that was there before comes back after it.
#pragma once

#include <X11/Xlib.h>

class XErrorTrap
{
  public:
    explicit XErrorTrap(Display* display);
    // Waits for the answers to the requests made under the trap, then restores the handler.
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request so far; true when one of them failed.
    bool failedAfterSync();
    // The code of the first failed request seen so far (0: none), without waiting.
    int firstError() const { return firstError_; }
    // Closes the connection under the trap: errors still in flight are caught here too.
    void closeDisplay();

  private:
    static int handle(Display* display, XErrorEvent* error);

    Display* display_;
    XErrorTrap* outer_;
    XErrorHandler previous_;
    int firstError_ = 0;
};

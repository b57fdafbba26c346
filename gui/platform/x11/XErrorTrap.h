// Catches the X protocol errors and the loss of one connection while it lives. Xlib's
// default handlers end the process, and so do those of many hosts; a plug-in must never do
// that to its host, so every sequence of X calls runs under a trap, and the handlers that were
// there before come back after it. Errors of other connections (the host's own) go to them.
#pragma once

#include <X11/Xlib.h>

class XErrorTrap
{
  public:
    explicit XErrorTrap(Display* display);
    // Waits for the answers to the requests made under the trap (unless the connection is
    // lost or they are all answered), then restores the handlers.
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request so far; true when one of them failed or the
    // connection broke.
    bool failedAfterSync();
    // The code of the first failed request seen so far (0: none), without waiting.
    int firstError() const { return firstError_; }
    // True once Xlib found the connection broken under this trap. Its calls return empty from
    // then on only if the connection's exit handler returns (see XConnection); nothing may
    // be asked of it again but to be closed.
    bool connectionLost() const { return connectionLost_; }
    // Closes the connection under the trap: errors still in flight are caught here too.
    void closeDisplay();

  private:
    // True while a request made on the connection may still fail.
    bool awaitsAnswers() const;
    static int handle(Display* display, XErrorEvent* error);
    static int handleLoss(Display* display);

    Display* display_;
    XErrorTrap* outer_;
    XErrorHandler previous_;
    XIOErrorHandler previousLoss_;
    int firstError_ = 0;
    bool connectionLost_ = false;
};

// The editor's own connection to the X server. Its loss (the server ends the client, as xkill
// does, or goes away) must never end the host: Xlib is told to return from the calls of a
// broken connection instead of ending the process, and the connection is marked lost, so that
// nothing is asked of it again but to be closed.
#pragma once

#include <X11/Xlib.h>

#include <memory>

class XConnection
{
  public:
    // A connection to the server DISPLAY names, retried for a few milliseconds; null when
    // none is made.
    static std::unique_ptr<XConnection> open();
    // Closes the connection, a lost one too.
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* display() const { return display_; }
    // True once Xlib found the connection broken or checkLost() saw the server hang up.
    bool lost() const { return lost_; }
    // Asks the socket, not Xlib, whether the server has closed the connection, and marks it
    // lost then; true when it is lost.
    bool checkLost();

  private:
    explicit XConnection(Display* display) : display_(display) {}
    static void markLost(Display* display, void* connection);

    Display* display_;
    bool lost_ = false;
};

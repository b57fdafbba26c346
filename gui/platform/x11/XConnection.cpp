#include "gui/platform/x11/XConnection.h"

#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "gui/platform/x11/XErrorTrap.h"

namespace
{
constexpr int kConnectAttempts = 4;
constexpr auto kFirstRetryPause = std::chrono::milliseconds(2);

using SetExitHandler = decltype(&XSetIOErrorExitHandler);

// Xlib's way to return from a broken connection instead of ending the process (recent libX11
// only). Looked up at run time, so that the plug-in still loads with an older Xlib.
SetExitHandler exitHandlerSetter()
{
    static const auto setter =
        reinterpret_cast<SetExitHandler>(dlsym(RTLD_DEFAULT, "XSetIOErrorExitHandler"));
    return setter;
}

// A server turns a connection away for a moment when clients come and go quickly (its
// listening socket answers EAGAIN or resets): a few tries over some milliseconds get through.
// Without a display name there is nothing to retry.
Display* connect()
{
    const char* name = std::getenv("DISPLAY");
    const int attempts = name != nullptr && name[0] != '\0' ? kConnectAttempts : 1;
    auto pause = kFirstRetryPause;
    for (int attempt = 1;; ++attempt)
    {
        if (Display* display = XOpenDisplay(nullptr))
        {
            return display;
        }
        if (attempt == attempts)
        {
            return nullptr;
        }
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}
} // namespace

std::unique_ptr<XConnection> XConnection::open()
{
    Display* display = connect();
    if (display == nullptr)
    {
        return nullptr;
    }
    std::unique_ptr<XConnection> connection(new XConnection(display));
    if (const SetExitHandler setExitHandler = exitHandlerSetter())
    {
        setExitHandler(display, &XConnection::markLost, connection.get());
    }
    return connection;
}

XConnection::~XConnection()
{
    if (lost_ && exitHandlerSetter() == nullptr)
    {
        // This Xlib would end the process at the first call that finds the connection broken,
        // XCloseDisplay's included: only the socket is closed, and the Display's memory is left.
        close(ConnectionNumber(display_));
        return;
    }
    // A loss Xlib has not seen yet is found while closing, under the trap's handler.
    XErrorTrap trap(display_);
    trap.closeDisplay();
}

bool XConnection::checkLost()
{
    // The server's end of the socket closed (or failed); events still unread before it are of
    // windows that are gone with the connection.
    pollfd socket{ConnectionNumber(display_), POLLRDHUP, 0};
    const short ended = POLLRDHUP | POLLHUP | POLLERR | POLLNVAL;
    if (!lost_ && poll(&socket, 1, 0) > 0 && (socket.revents & ended) != 0)
    {
        lost_ = true;
    }
    return lost_;
}

// Called by Xlib after the I/O error handler; returning lets the broken call return.
void XConnection::markLost(Display*, void* connection)
{
    static_cast<XConnection*>(connection)->lost_ = true;
}

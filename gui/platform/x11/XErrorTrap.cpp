#include "gui/platform/x11/XErrorTrap.h"

namespace
{
// The traps alive on the user-interface thread, innermost first through outer_.
XErrorTrap* innermost = nullptr;
} // namespace

XErrorTrap::XErrorTrap(Display* display)
    : display_(display), outer_(innermost), previous_(XSetErrorHandler(&XErrorTrap::handle)),
      previousLoss_(XSetIOErrorHandler(&XErrorTrap::handleLoss))
{
    innermost = this;
}

XErrorTrap::~XErrorTrap()
{
    if (awaitsAnswers())
    {
        // Errors of this trap's requests must arrive while its handler is still installed.
        XSync(display_, False);
    }
    XSetIOErrorHandler(previousLoss_);
    XSetErrorHandler(previous_);
    innermost = outer_;
}

bool XErrorTrap::failedAfterSync()
{
    if (awaitsAnswers())
    {
        XSync(display_, False);
    }
    return firstError_ != 0 || connectionLost_;
}

// A request without a reply is known to be done only once an answer to a later one has
// arrived; when the last request made has been answered, every error has been seen, and
// waiting for the server again would only cost a round trip.
bool XErrorTrap::awaitsAnswers() const
{
    return display_ != nullptr && !connectionLost_ &&
           NextRequest(display_) - 1 != LastKnownRequestProcessed(display_);
}

void XErrorTrap::closeDisplay()
{
    if (display_ != nullptr)
    {
        XCloseDisplay(display_);
        display_ = nullptr;
    }
}

int XErrorTrap::handle(Display* display, XErrorEvent* error)
{
    XErrorTrap* outermost = nullptr;
    for (XErrorTrap* trap = innermost; trap != nullptr; trap = trap->outer_)
    {
        if (trap->display_ == display)
        {
            if (trap->firstError_ == 0)
            {
                trap->firstError_ = error->error_code;
            }
            return 0;
        }
        outermost = trap;
    }
    // An error of another connection (the host's own): the handler the host installed decides.
    if (outermost != nullptr && outermost->previous_ != nullptr)
    {
        return outermost->previous_(display, error);
    }
    return 0;
}

// Every trap of the broken connection learns of it, the outer ones too, so that none of them
// waits on it again. Returning hands the connection to its exit handler.
int XErrorTrap::handleLoss(Display* display)
{
    XErrorTrap* outermost = nullptr;
    bool ours = false;
    for (XErrorTrap* trap = innermost; trap != nullptr; trap = trap->outer_)
    {
        if (trap->display_ == display)
        {
            trap->connectionLost_ = true;
            ours = true;
        }
        outermost = trap;
    }
    if (!ours && outermost != nullptr && outermost->previousLoss_ != nullptr)
    {
        return outermost->previousLoss_(display);
    }
    return 0;
}

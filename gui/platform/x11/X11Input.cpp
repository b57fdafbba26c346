#include "gui/platform/x11/X11Input.h"

#include <X11/Xlib.h>

#include <chrono>

#include "gui/platform/x11/X11Translate.h"
#include "gui/platform/x11/X11Window.h"
#include "gui/platform/x11/XErrorTrap.h"

namespace
{
// X keeps no double-click time of its own; this is the common desktop default.
constexpr int32_t kDoubleClickMs = 500;
} // namespace

bool X11Input::query()
{
    X11Window* window = X11Window::latest();
    if (window == nullptr || window->lost())
    {
        return false;
    }
    XErrorTrap trap(window->display());
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    // On another screen the call answers false, yet the root position and mask still hold.
    XQueryPointer(window->display(), window->window(), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    if (trap.firstError() != 0)
    {
        return false;
    }
    buttons_ = x11::buttonWord(mask);
    position_ = {rootX, rootY};
    return true;
}

int32_t X11Input::mouseButtons()
{
    if (!query())
    {
        buttons_ = 0;
    }
    return buttons_;
}

CPoint X11Input::cursorPosition()
{
    query();
    return position_;
}

uint32_t X11Input::ticks()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int32_t X11Input::doubleClickTime()
{
    return kDoubleClickMs;
}

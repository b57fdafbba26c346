#include "gui/platform/x11/X11Input.h"

#include <chrono>

#include "gui/platform/x11/X11Translate.h"
#include "gui/platform/x11/X11Window.h"

namespace
{
// X keeps no double-click time of its own; this is the common desktop default.
constexpr int32_t kDoubleClickMs = 500;
} // namespace

bool X11Input::query()
{
    X11Window* window = X11Window::latest();
    unsigned int mask = 0;
    if (window == nullptr || !window->queryPointer(position_, mask))
    {
        return false;
    }
    buttons_ = x11::buttonWord(mask);
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

#include "gui/platform/win32/Win32Input.h"

int32_t Win32Input::mouseButtons()
{
    // The high bit of GetAsyncKeyState is set while the key is down.
    auto isDown = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    return mouseButtonWord(isDown, GetSystemMetrics(SM_SWAPBUTTON) > 0);
}

CPoint Win32Input::cursorPosition()
{
    POINT where{};
    GetCursorPos(&where);
    return {where.x, where.y};
}

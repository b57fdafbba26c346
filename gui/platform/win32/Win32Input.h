// The mouse, modifier keys and clock of Windows, as the controls poll them during a drag.
#pragma once

#include <windows.h>

#include "gui/MouseButtons.h"
#include "gui/platform/InputSource.h"

// The mouse-button word from key states; isDown (virtual key) tells whether a key is held
// now. The button keys are physical: with swapped buttons the physical left one is the
// logical right one and reports kRButton.
template <typename IsDown> int32_t mouseButtonWord(IsDown isDown, bool swapped)
{
    int32_t word = 0;
    if (isDown(VK_LBUTTON))
    {
        word |= swapped ? kRButton : kLButton;
    }
    if (isDown(VK_MBUTTON))
    {
        word |= kMButton;
    }
    if (isDown(VK_RBUTTON))
    {
        word |= swapped ? kLButton : kRButton;
    }
    if (isDown(VK_SHIFT))
    {
        word |= kShift;
    }
    if (isDown(VK_CONTROL))
    {
        word |= kControl;
    }
    if (isDown(VK_MENU))
    {
        word |= kAlt;
    }
    return word;
}

class Win32Input : public InputSource
{
  public:
    int32_t mouseButtons() override;
    CPoint cursorPosition() override;
    uint32_t ticks() override { return GetTickCount(); }
    int32_t doubleClickTime() override { return int32_t(GetDoubleClickTime()); }
};

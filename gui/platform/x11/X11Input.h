// The pointer, its buttons and the keyboard modifiers as X reports them, polled while a
// control tracks a drag, with a steady millisecond clock.
#pragma once

#include "gui/platform/InputSource.h"

class X11Input : public InputSource
{
  public:
    // Asked on the connection of the editor window opened last; without one nothing is
    // pressed and the pointer stays where it was last seen.
    int32_t mouseButtons() override;
    // In the screen coordinates of the window's root.
    CPoint cursorPosition() override;
    uint32_t ticks() override;
    int32_t doubleClickTime() override;

  private:
    // Reads the pointer; false when there is no window to ask on.
    bool query();

    int32_t buttons_ = 0;
    CPoint position_;
};

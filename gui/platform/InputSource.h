// The mouse, keyboard modifiers and clock as the controls poll them while they track a drag.
#pragma once

#include <cstdint>

#include "gui/GuiTypes.h"

class InputSource
{
  public:
    virtual ~InputSource() = default;

    // The current mouse-button word (see gui/MouseButtons.h).
    virtual int32_t mouseButtons() = 0;
    // The pointer position in screen coordinates.
    virtual CPoint cursorPosition() = 0;
    // A millisecond clock.
    virtual uint32_t ticks() = 0;
    // The longest time between two clicks of a double click, in milliseconds.
    virtual int32_t doubleClickTime() = 0;
};

namespace platform
{
// The source every control reads: the installed one, else the system's.
InputSource& currentInput();
// Makes source the current one; null returns to the system's. The caller keeps it alive.
void installInput(InputSource* source);
// The back end's own source (defined by the back end).
InputSource& systemInput();
} // namespace platform

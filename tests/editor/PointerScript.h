// A scripted pointer for tests that drive controls without a window system.
#pragma once

#include "gui/platform/ScriptedInput.h"

// Plays one scripted state per poll of the buttons, as a real pointer moves on by itself.
class PointerScript : public ScriptedInput
{
  public:
    int32_t mouseButtons() override
    {
        const int32_t buttons = ScriptedInput::mouseButtons();
        advance();
        return buttons;
    }
};

// How X's pointer and keyboard reports become the toolkit's mouse-button word, wheel
// distances and key records. Pure functions of the reported values, without a connection.
#pragma once

#include <X11/X.h>

#include <cstdint>
#include <optional>

#include "gui/KeyCode.h"

namespace x11
{
// The button word of an X key-and-button state mask. The X server reports logical
// buttons, after the pointer mapping: with swapped buttons the physical left button is
// button 3 and so reports the right button's bit, as the toolkit expects.
int32_t buttonWord(unsigned int state);
// The button word at a press of button (1 left, 2 middle, 3 right): the state before the
// press plus the pressed button.
int32_t pressWord(unsigned int button, unsigned int state);
// The wheel distance of a press of button: +1 notch for 4 (away from the user), -1 for 5;
// none for a button that is not a vertical wheel.
std::optional<float> wheelDistance(unsigned int button);
// The key record of a key event: the virtual key of keysym (0 for a key without one), the
// character it typed (0 for none or a control character) and the modifier byte of state.
CKeyCode keyCodeOf(KeySym keysym, unsigned int state, char character);
} // namespace x11

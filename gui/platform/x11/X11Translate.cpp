#include "gui/platform/x11/X11Translate.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

#include "gui/MouseButtons.h"

namespace
{
// Virtual keys and modifier bits of the plug-in interface not named by the toolkit.
constexpr unsigned char kVirtualKeyBack = 1;
constexpr unsigned char kVirtualKeyClear = 3;
constexpr unsigned char kVirtualKeyReturn = 4;
constexpr unsigned char kVirtualKeyPause = 5;
constexpr unsigned char kVirtualKeyEscape = 6;
constexpr unsigned char kVirtualKeySpace = 7;
constexpr unsigned char kVirtualKeyEnd = 9;
constexpr unsigned char kVirtualKeyHome = 10;
constexpr unsigned char kVirtualKeyPageUp = 15;
constexpr unsigned char kVirtualKeyPageDown = 16;
constexpr unsigned char kVirtualKeyShift = 54;
constexpr unsigned char kVirtualKeyControl = 55;
constexpr unsigned char kVirtualKeyAlt = 56;
constexpr unsigned char kModifierAlternate = 2;
constexpr unsigned char kModifierCommand = 4;
constexpr unsigned char kModifierControl = 8;

constexpr float kWheelNotch = 1.0f;

constexpr std::array<std::pair<KeySym, unsigned char>, 27> kVirtualKeys{{
    {XK_BackSpace, kVirtualKeyBack},
    {XK_Tab, kVirtualKeyTab},
    {XK_ISO_Left_Tab, kVirtualKeyTab},
    {XK_Clear, kVirtualKeyClear},
    {XK_Return, kVirtualKeyReturn},
    {XK_KP_Enter, kVirtualKeyReturn},
    {XK_Pause, kVirtualKeyPause},
    {XK_Escape, kVirtualKeyEscape},
    {XK_space, kVirtualKeySpace},
    {XK_End, kVirtualKeyEnd},
    {XK_Home, kVirtualKeyHome},
    {XK_Left, kVirtualKeyLeft},
    {XK_Up, kVirtualKeyUp},
    {XK_Right, kVirtualKeyRight},
    {XK_Down, kVirtualKeyDown},
    {XK_KP_Left, kVirtualKeyLeft},
    {XK_KP_Up, kVirtualKeyUp},
    {XK_KP_Right, kVirtualKeyRight},
    {XK_KP_Down, kVirtualKeyDown},
    {XK_Page_Up, kVirtualKeyPageUp},
    {XK_Page_Down, kVirtualKeyPageDown},
    {XK_Shift_L, kVirtualKeyShift},
    {XK_Shift_R, kVirtualKeyShift},
    {XK_Control_L, kVirtualKeyControl},
    {XK_Control_R, kVirtualKeyControl},
    {XK_Alt_L, kVirtualKeyAlt},
    {XK_Alt_R, kVirtualKeyAlt},
}};

unsigned char virtualKeyOf(KeySym keysym)
{
    for (const auto& [sym, virt] : kVirtualKeys)
    {
        if (sym == keysym)
        {
            return virt;
        }
    }
    return 0;
}

int32_t modifierWord(unsigned int state)
{
    int32_t word = 0;
    if ((state & ShiftMask) != 0)
    {
        word |= kShift;
    }
    if ((state & ControlMask) != 0)
    {
        word |= kControl;
    }
    if ((state & Mod1Mask) != 0)
    {
        word |= kAlt;
    }
    return word;
}
} // namespace

namespace x11
{
int32_t buttonWord(unsigned int state)
{
    int32_t word = modifierWord(state);
    if ((state & Button1Mask) != 0)
    {
        word |= kLButton;
    }
    if ((state & Button2Mask) != 0)
    {
        word |= kMButton;
    }
    if ((state & Button3Mask) != 0)
    {
        word |= kRButton;
    }
    return word;
}

int32_t pressWord(unsigned int button, unsigned int state)
{
    constexpr std::array<unsigned int, 3> kMasks{Button1Mask, Button2Mask, Button3Mask};
    const unsigned int pressed = button >= 1 && button <= 3 ? kMasks[button - 1] : 0;
    return buttonWord(state | pressed);
}

std::optional<float> wheelDistance(unsigned int button)
{
    if (button == Button4)
    {
        return kWheelNotch;
    }
    if (button == Button5)
    {
        return -kWheelNotch;
    }
    return std::nullopt;
}

CKeyCode keyCodeOf(KeySym keysym, unsigned int state, char character)
{
    CKeyCode key;
    key.virt = virtualKeyOf(keysym);
    const auto typed = static_cast<unsigned char>(character);
    key.character = typed >= 0x20 && typed != 0x7F ? typed : 0;
    if ((state & ShiftMask) != 0)
    {
        key.modifier |= kModifierShift;
    }
    if ((state & Mod1Mask) != 0)
    {
        key.modifier |= kModifierAlternate;
    }
    if ((state & Mod4Mask) != 0)
    {
        key.modifier |= kModifierCommand;
    }
    if ((state & ControlMask) != 0)
    {
        key.modifier |= kModifierControl;
    }
    return key;
}
} // namespace x11

// X's pointer states, wheel buttons and keys as the toolkit's button words and key records.
// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "gui/platform/x11/X11Translate.h"

#include <X11/keysym.h>

#include "gui/MouseButtons.h"

TEST(X11Translate, ButtonWordHoldsTheLogicalButtonsAndModifiers)
{
    EXPECT_EQ(x11::buttonWord(0), 0);
    EXPECT_EQ(x11::buttonWord(Button1Mask | Button2Mask | Button3Mask),
              kLButton | kMButton | kRButton);
    EXPECT_EQ(x11::buttonWord(ShiftMask | ControlMask | Mod1Mask), kShift | kControl | kAlt);
    // Caps Lock, Num Lock (Mod2) and the wheel buttons are no part of the word.
    EXPECT_EQ(x11::buttonWord(LockMask | Mod2Mask | Button4Mask | Button5Mask), 0);
}

TEST(X11Translate, APressAddsItsButtonToTheStateBeforeIt)
{
    EXPECT_EQ(x11::pressWord(Button1, 0), kLButton);
    EXPECT_EQ(x11::pressWord(Button2, ShiftMask), kMButton | kShift);
    // Button 3 is the right button; with swapped buttons the physical left one reports it.
    EXPECT_EQ(x11::pressWord(Button3, Button1Mask), kLButton | kRButton);
    EXPECT_EQ(x11::pressWord(Button4, 0), 0);
}

TEST(X11Translate, WheelButtonsAreOneNotchEachWay)
{
    EXPECT_EQ(x11::wheelDistance(Button4), 1.0f);
    EXPECT_EQ(x11::wheelDistance(Button5), -1.0f);
    EXPECT_FALSE(x11::wheelDistance(Button1).has_value());
    EXPECT_FALSE(x11::wheelDistance(6).has_value());
}

TEST(X11Translate, KeysCarryTheInterfacesVirtualKeyNumbers)
{
    const std::pair<KeySym, int> keys[] = {
        {XK_BackSpace, 1}, {XK_Tab, 2},        {XK_ISO_Left_Tab, 2},
        {XK_Return, 4},    {XK_KP_Enter, 4},   {XK_Escape, 6},
        {XK_space, 7},     {XK_End, 9},        {XK_Home, 10},
        {XK_Left, 11},     {XK_Up, 12},        {XK_Right, 13},
        {XK_Down, 14},     {XK_Page_Up, 15},   {XK_Page_Down, 16},
        {XK_Shift_L, 54},  {XK_Control_R, 55}, {XK_Alt_L, 56},
        {XK_a, 0},         {XK_F1, 0},
    };
    for (const auto& [keysym, virt] : keys)
    {
        EXPECT_EQ(x11::keyCodeOf(keysym, 0, 0).virt, virt) << "keysym " << keysym;
    }
}

TEST(X11Translate, KeysCarryTheirPrintableCharacterAndModifierBits)
{
    EXPECT_EQ(x11::keyCodeOf(XK_a, 0, 'a').character, 'a');
    EXPECT_EQ(x11::keyCodeOf(XK_Tab, 0, '\t').character, 0);
    EXPECT_EQ(x11::keyCodeOf(XK_Delete, 0, '\x7F').character, 0);
    // Latin-1 letters above 127 stay positive.
    EXPECT_EQ(x11::keyCodeOf(XK_eacute, 0, char(0xE9)).character, 0xE9);
    EXPECT_EQ(x11::keyCodeOf(XK_a, ShiftMask, 'A').modifier, 1);
    EXPECT_EQ(x11::keyCodeOf(XK_a, Mod1Mask, 'a').modifier, 2);
    EXPECT_EQ(x11::keyCodeOf(XK_a, Mod4Mask, 'a').modifier, 4);
    EXPECT_EQ(x11::keyCodeOf(XK_a, ControlMask, 'a').modifier, 8);
    EXPECT_EQ(x11::keyCodeOf(XK_a, LockMask | Mod2Mask, 'a').modifier, 0);
}

// The key record the host hands to the editor, with the key and modifier numbers the
// toolkit reacts to (the plug-in interface's numbering, so the editor passes keys through).
#pragma once

#include <cstdint>

struct CKeyCode
{
    int32_t character = 0;
    unsigned char virt = 0;
    unsigned char modifier = 0;
};

constexpr unsigned char kVirtualKeyTab = 2;
constexpr unsigned char kVirtualKeyLeft = 11;
constexpr unsigned char kVirtualKeyUp = 12;
constexpr unsigned char kVirtualKeyRight = 13;
constexpr unsigned char kVirtualKeyDown = 14;
constexpr unsigned char kModifierShift = 1;

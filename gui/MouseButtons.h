// The mouse-button word: which buttons and modifier keys are down at one moment.
#pragma once

#include <cstdint>

constexpr int32_t kLButton = 1;
constexpr int32_t kMButton = 2;
constexpr int32_t kRButton = 4;
constexpr int32_t kShift = 8;
constexpr int32_t kControl = 16;
constexpr int32_t kAlt = 32;
constexpr int32_t kApple = 64;
constexpr int32_t kModifierMask = kShift | kControl | kAlt | kApple;

// Handed to a mouse handler instead of a button word: read the current word yourself.
constexpr int32_t kReadButtons = -1;

// The mouse-button word made from the physical key states.
#include <gtest/gtest.h>

#include <set>

#include "gui/platform/win32/Win32Input.h"

namespace
{
int32_t wordFor(std::set<int> held, bool swapped)
{
    return mouseButtonWord([&held](int key) { return held.count(key) != 0; }, swapped);
}
} // namespace

TEST(MouseButtonWord, NamesEachButtonAndModifier)
{
    EXPECT_EQ(wordFor({}, false), 0);
    EXPECT_EQ(wordFor({VK_LBUTTON}, false), kLButton);
    EXPECT_EQ(wordFor({VK_MBUTTON}, false), kMButton);
    EXPECT_EQ(wordFor({VK_RBUTTON}, false), kRButton);
    EXPECT_EQ(wordFor({VK_LBUTTON, VK_SHIFT, VK_CONTROL, VK_MENU}, false),
              kLButton | kShift | kControl | kAlt);
}

TEST(MouseButtonWord, WithSwappedButtonsThePhysicalLeftOneIsTheRight)
{
    EXPECT_EQ(wordFor({VK_LBUTTON}, true), kRButton);
    EXPECT_EQ(wordFor({VK_RBUTTON}, true), kLButton);
    EXPECT_EQ(wordFor({VK_MBUTTON, VK_SHIFT}, true), kMButton | kShift);
}

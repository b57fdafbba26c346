// The vertical slider: handle placement and dragging.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CSlider.h"
#include "gui/MouseButtons.h"

namespace
{
constexpr int32_t kHandleId = 601;
constexpr int32_t kTrackId = 602;
constexpr CRect kSliderRect{10, 10, 30, 110};
constexpr int32_t kHandleHeight = 10;
// The handle's top runs from the slider's top to its bottom minus the handle, minus 1.
constexpr int32_t kFirst = kSliderRect.top;
constexpr int32_t kLast = kSliderRect.bottom - kHandleHeight - 1;

class Slider : public ::testing::Test, public HeadlessFrameFixture
{
  protected:
    Slider() : HeadlessFrameFixture(200, 130)
    {
        bitmaps.add(kHandleId, solidImage(20, kHandleHeight, 0xFF0000));
        bitmaps.add(kTrackId, solidImage(20, 100, 0x202020));
        auto* handle = new CBitmap(kHandleId);
        auto* track = new CBitmap(kTrackId);
        slider = new CVerticalSlider(kSliderRect, &listener, 3, kFirst, kLast, handle, track);
        handle->release();
        track->release();
        frame->addChild(slider);
        paint();
    }

    TestBitmaps bitmaps;
    CVerticalSlider* slider;
};
} // namespace

TEST_F(Slider, PutsTheMaximumAtTheTop)
{
    slider->setValue(1.0f);
    EXPECT_EQ(slider->handleRect().top, kFirst);
    slider->setValue(0.0f);
    EXPECT_EQ(slider->handleRect().top, kLast);
    slider->setValue(5.0f);
    EXPECT_EQ(slider->handleRect().top, kFirst);
    frame->idle();
    EXPECT_EQ(windowPixels().at(20, kFirst + 5), 0xFF0000u);
    EXPECT_EQ(windowPixels().at(20, kLast + 5), 0x202020u);
}

TEST_F(Slider, FollowsTheDragWithTheHandleCentredOnThePointer)
{
    const CPoint start{20, 60};
    input.then(kLButton, start).glide(kLButton, {20, 0}, 10);
    press(start, kLButton);
    EXPECT_EQ(slider->getValue(), 1.0f);
    EXPECT_EQ(log.front(), "begin 3");
    EXPECT_EQ(log.back(), "end 3");

    input.clear();
    input.setTicks(input.ticks() + 1000); // not a double click
    input.then(kLButton, {20, kLast + kHandleHeight / 2});
    press({20, kLast + kHandleHeight / 2}, kLButton);
    EXPECT_NEAR(slider->getValue(), 0.0f, 1e-6f);
}

TEST_F(Slider, ShiftMovesATenthOfTheWayFromWhereItWasPressed)
{
    const CPoint start{20, kFirst + 44 + kHandleHeight / 2};
    input.then(kLButton, start)
        .then(kLButton | kShift, start)
        .glide(kLButton | kShift, start - CPoint{0, 40}, 4);
    press(start, kLButton);
    const float atPress = 1.0f - 44.0f / float(kLast - kFirst);
    // 40 pixels of the 89-pixel travel, a tenth of it.
    EXPECT_NEAR(slider->getValue(), atPress + 0.1f * 40.0f / float(kLast - kFirst), 1e-5f);
    EXPECT_TRUE(slider->isClass("CSlider"));
}

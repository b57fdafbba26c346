// The knob: its circle geometry, and how it follows presses, drags, the wheel and keys
// played through the scripted pointer.
#include <gtest/gtest.h>

#include <cmath>

#include "GuiTestSupport.h"
#include "gui/CKnob.h"
#include "gui/MouseButtons.h"

namespace
{
constexpr int32_t kTag = 7;
constexpr CRect kKnobRect{50, 20, 83, 53}; // 33 by 33: radius 16.5, inset 3
constexpr double kPi = 3.14159265358979;

class Knob : public ::testing::Test, public HeadlessFrameFixture
{
  protected:
    Knob()
    {
        knob = new CKnob(kKnobRect, &listener, kTag, nullptr, nullptr);
        frame->addChild(knob);
        paint();
    }

    // The frame point at this angle (degrees, counter-clockwise from the right) and
    // distance from the knob's centre.
    static CPoint onCircle(double degrees, double distance = 12.0)
    {
        const double radians = degrees * kPi / 180.0;
        return {kKnobRect.left + int32_t(std::lround(16.5 + std::cos(radians) * distance)),
                kKnobRect.top + int32_t(std::lround(16.5 - std::sin(radians) * distance))};
    }

    // A press at the point with nothing after it: the button is up at the next poll.
    void click(const CPoint& point, int32_t buttons = kLButton)
    {
        input.clear();
        input.then(buttons, point);
        press(point, buttons);
    }

    // The lines of the log that are not values.
    std::vector<std::string> edits() const
    {
        std::vector<std::string> lines;
        for (const std::string& line : log)
        {
            if (line.rfind("value", 0) != 0)
            {
                lines.push_back(line);
            }
        }
        return lines;
    }

    CKnob* knob;
};
} // namespace

TEST_F(Knob, PlacesTheHandleOnItsCircleFromLowerLeftClockwiseToLowerRight)
{
    knob->setValue(0.0f);
    EXPECT_EQ(knob->handlePointOf(), (CPoint{7, 26}));
    knob->setValue(0.5f);
    // Straight up; the horizontal 16.5 + cos(pi / 2) x 13.5 + 0.5 lands on 17 or, with
    // the single-precision cosine of the angle, just below it.
    EXPECT_NEAR(knob->handlePointOf().h, 16.5, 0.5);
    EXPECT_EQ(knob->handlePointOf().v, 3);
    knob->setValue(1.0f);
    EXPECT_EQ(knob->handlePointOf(), (CPoint{26, 26}));
}

TEST_F(Knob, ReadsBackTheValueOfItsHandlePoint)
{
    for (float value = 0.05f; value < 1.0f; value += 0.05f)
    {
        knob->setValue(value);
        // A whole-pixel point on a circle of 13.5 pixels is off by at most 0.71 pixels:
        // 0.053 radians, 0.011 of the value over the 4.71 radians of the range.
        EXPECT_NEAR(knob->valueAtPoint(knob->handlePointOf()), value, 0.012);
    }
}

TEST_F(Knob, APointInTheDeadZoneGivesTheNearerEnd)
{
    const CPoint centre{16, 16};
    EXPECT_EQ(knob->valueAtPoint(centre + CPoint{-3, 12}), 0.0f);
    EXPECT_EQ(knob->valueAtPoint(centre + CPoint{3, 12}), 1.0f);
}

TEST_F(Knob, ADoubleClickWithinTheIntervalRestoresTheDefault)
{
    knob->setDefaultValue(0.25f);
    input.setTicks(5000);
    click(onCircle(90));
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);
    log.clear();
    click(onCircle(0));
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(log, (EventLog{"begin 7", "value 7 0.250", "end 7"}));
}

TEST_F(Knob, TwoClicksFurtherApartThanTheIntervalAreTwoClicks)
{
    knob->setDefaultValue(0.25f);
    input.setTicks(5000);
    click(onCircle(90));
    input.setTicks(5000 + 600);
    click(onCircle(0));
    EXPECT_NEAR(knob->getValue(), 0.833f, 0.02f);
}

TEST_F(Knob, AControlClickRestoresTheDefaultAtOnce)
{
    knob->setValue(0.9f);
    knob->setDefaultValue(0.25f);
    click(onCircle(90), kLButton | kControl);
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(edits(), (EventLog{"modifier 7 17", "begin 7", "end 7"}));
}

TEST_F(Knob, AModifierClickTheListenerTakesChangesNothing)
{
    listener.claimModifierClicks = true;
    knob->setValue(0.9f);
    click(onCircle(90), kLButton | kControl);
    click(onCircle(90), kLButton | kShift);
    EXPECT_EQ(knob->getValue(), 0.9f);
    EXPECT_EQ(log, (EventLog{"modifier 7 17", "modifier 7 9"}));
}

TEST_F(Knob, PressesWithoutTheLeftButtonChangeNothing)
{
    knob->setValue(0.9f);
    click(onCircle(90), kRButton);
    EXPECT_EQ(knob->getValue(), 0.9f);
    EXPECT_TRUE(log.empty());
}

TEST_F(Knob, ACircularDragAcrossTheDeadZoneStaysAtTheEndItCameFrom)
{
    // From just after the minimum down through the gap below the knob to the maximum.
    const CPoint start = onCircle(215);
    input.then(kLButton, start);
    for (double degrees = 220; degrees <= 320; degrees += 5)
    {
        input.then(kLButton, onCircle(degrees));
    }
    press(start, kLButton);
    ASSERT_FALSE(listener.values.empty());
    EXPECT_NEAR(listener.values.front(), 0.035f, 0.02f);
    EXPECT_EQ(knob->getValue(), 0.0f);
    EXPECT_EQ(listener.values.back(), 0.0f);
}

TEST_F(Knob, BracketsEveryDragWithBeginAndEndEdit)
{
    input.then(kLButton, onCircle(90)).glide(kLButton, onCircle(30), 5);
    press(onCircle(90), kLButton);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "begin 7");
    EXPECT_EQ(log.back(), "end 7");
    EXPECT_EQ(edits(), (EventLog{"begin 7", "end 7"}));
    EXPECT_EQ(frame->getFocusView(), knob);
    EXPECT_GT(knob->getValue(), 0.6f);
}

TEST_F(Knob, InLinearModeShiftPressedMidDragDoesNotMakeTheValueJump)
{
    owner.setKnobMode(2);
    knob->setValue(0.5f);
    const CPoint start{60, 40};
    input.then(kLButton, start)
        .glide(kLButton, start - CPoint{0, 40}, 20)
        .glide(kLButton | kShift, start - CPoint{0, 70}, 15);
    press(start, kLButton);
    ASSERT_GT(listener.values.size(), 30u);
    for (size_t i = 1; i < listener.values.size(); ++i)
    {
        // Steps of 2 pixels: 2/360 before Shift, 2/300 after; a jump would add 0.022.
        EXPECT_LT(std::fabs(listener.values[i] - listener.values[i - 1]), 0.008f) << i;
    }
    // 40 pixels over 360, then 30 over 1.5 x 200.
    EXPECT_NEAR(knob->getValue(), 0.5f + 40.0f / 360.0f + 30.0f / 300.0f, 1e-4f);
}

TEST_F(Knob, AltSwitchesBetweenCircularAndLinearDragging)
{
    knob->setValue(0.5f);
    const CPoint start = onCircle(180);
    input.then(kLButton | kAlt, start).glide(kLButton | kAlt, start + CPoint{36, 0}, 4);
    press(start, kLButton | kAlt);
    // Linear: 36 pixels to the right over 360 pixels, not the angle of the point.
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-4f);
}

TEST_F(Knob, TheWheelStepsTheValueAndShiftMakesTheStepsFine)
{
    knob->setValue(0.5f);
    EXPECT_TRUE(frame->onWheel(nullptr, {60, 30}, 1.0f));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    input.then(kShift, {60, 30});
    frame->onWheel(nullptr, {60, 30}, -2.0f);
    EXPECT_NEAR(knob->getValue(), 0.58f, 1e-6f);
    input.clear();
    frame->onWheel(nullptr, {60, 30}, 10.0f);
    EXPECT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(edits(), (EventLog{"begin 7", "end 7", "begin 7", "end 7", "begin 7", "end 7"}));

    knob->enableMouse(false);
    EXPECT_FALSE(frame->onWheel(nullptr, {60, 30}, -1.0f));
}

TEST_F(Knob, ArrowKeysStepTheValueWhileTheKnobHasTheFocus)
{
    knob->setValue(0.5f);
    const CKeyCode up{0, kVirtualKeyUp, 0};
    EXPECT_EQ(frame->onKeyDown(up), -1);
    frame->setFocusView(knob);
    EXPECT_EQ(frame->onKeyDown(up), 1);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    frame->onKeyDown(CKeyCode{0, kVirtualKeyLeft, kModifierShift});
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6f);
    EXPECT_EQ(frame->onKeyDown(CKeyCode{'x', 0, 0}), -1);
    EXPECT_EQ(log,
              (EventLog{"begin 7", "value 7 0.600", "end 7", "begin 7", "value 7 0.590", "end 7"}));
}

TEST_F(Knob, WithoutARangeTheHandleStaysAtTheStart)
{
    knob->setMax(0.0f);
    knob->setStartAngle(float(kPi));
    knob->setValue(0.7f);
    EXPECT_EQ(knob->handlePointOf(), (CPoint{3, 17}));
}

// The two-state and the momentary button, pressed through the scripted pointer.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CKickButton.h"
#include "gui/COnOffButton.h"
#include "gui/MouseButtons.h"

namespace
{
constexpr int32_t kStripId = 11007;
constexpr CRect kButtonRect{20, 20, 41, 40};

class Buttons : public ::testing::Test, public HeadlessFrameFixture
{
  protected:
    Buttons()
    {
        bitmaps.add(kStripId, numberedStrip(21, 20, 2));
        strip = new CBitmap(kStripId);
    }
    ~Buttons() override { strip->release(); }

    CKickButton* addKick()
    {
        auto* button = new CKickButton(kButtonRect, &listener, 12, 20, strip);
        frame->addChild(button);
        paint();
        return button;
    }

    TestBitmaps bitmaps;
    CBitmap* strip;
};
} // namespace

TEST_F(Buttons, AKickPressedAndReleasedInsideDeliversOneThenZero)
{
    addKick();
    input.then(kLButton, {30, 30}).then(kLButton, {31, 30});
    press({30, 30}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(log.front(), "begin 12");
    EXPECT_EQ(log.back(), "end 12");
}

TEST_F(Buttons, AKickDraggedOutBeforeTheReleaseDeliversOneZeroZero)
{
    addKick();
    input.then(kLButton, {30, 30}).then(kLButton, {60, 30}).then(kLButton, {61, 30});
    press({30, 30}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f, 0.0f}));
}

TEST_F(Buttons, AKickDraggedOutAndBackInDeliversOneAgain)
{
    addKick();
    // The pointer is polled once per turn; the last state before the release counts.
    input.then(kLButton, {30, 30})
        .then(kLButton, {60, 30})
        .then(kLButton, {41, 40})
        .then(kLButton, {41, 40});
    press({30, 30}, kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST_F(Buttons, AKickPressedWithAModifierTogglesOnceWithoutTracking)
{
    addKick();
    input.then(kLButton | kShift, {30, 30});
    press({30, 30}, kLButton | kShift);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(owner.pumps(), 0);
}

TEST_F(Buttons, AKickShowsItsPressedImageWhileHeld)
{
    CKickButton* button = addKick();
    EXPECT_EQ(windowPixels().at(30, 30), 1u);
    button->setValue(1.0f);
    frame->idle();
    EXPECT_EQ(windowPixels().at(30, 30), 2u);
}

TEST_F(Buttons, AnOnOffButtonTogglesAndTellsTheListenerAfterRedrawing)
{
    auto* button = new COnOffButton(kButtonRect, &listener, 9, strip);
    frame->addChild(button);
    paint();
    owner.logPumps(true);
    press({30, 30}, kLButton);
    EXPECT_EQ(button->getValue(), 1.0f);
    EXPECT_EQ(log, (EventLog{"pump", "begin 9", "value 9 1.000", "end 9"}));
    EXPECT_EQ(windowPixels().at(30, 30), 2u);
    press({30, 30}, kLButton);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(Buttons, AnOnOffButtonOfStyleOneTellsTheListenerFirst)
{
    auto* button = new COnOffButton(kButtonRect, &listener, 9, strip, kPreListenerUpdate);
    frame->addChild(button);
    paint();
    owner.logPumps(true);
    press({30, 30}, kLButton);
    EXPECT_EQ(log, (EventLog{"begin 9", "value 9 1.000", "end 9", "pump"}));
}

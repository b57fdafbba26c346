// The LED bar of the toolkit: where the split between its two bitmaps falls, how it steps
// toward its target per draw, and how it stays dirty while it trails.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "MeterBars.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"
#include "gui/CVuMeter.h"

namespace
{
// Ten LEDs of two pixel rows each.
constexpr int32_t kLeds = 10;
constexpr CRect kBar{5, 7, 11, 27};

class VuMeter : public ::testing::Test
{
  protected:
    VuMeter() : fixture(40, 60)
    {
        bitmaps.add(1, rowCoded(kBar.width(), kBar.height(), kLitBase));
        bitmaps.add(2, rowCoded(kBar.width(), kBar.height(), kDarkBase));
        on = new CBitmap(1);
        off = new CBitmap(2);
        meter = new CVuMeter(kBar, on, off, kLeds);
        fixture.frame->addChild(meter);
    }
    ~VuMeter() override
    {
        on->release();
        off->release();
    }

    // Draws the meter once, as the editor's tick does, after setting a target if given.
    std::string draw(float target = -1.0f)
    {
        if (target >= 0.0f)
        {
            meter->setValue(target);
        }
        fixture.frame->drawView(meter);
        return barOf(fixture.windowPixels(), kBar);
    }

    TestBitmaps bitmaps;
    HeadlessFrameFixture fixture;
    CBitmap* on;
    CBitmap* off;
    CVuMeter* meter;
};
} // namespace

TEST_F(VuMeter, ShowsTheOnBitmapBelowTheSplitAndTheOffBitmapAboveItAtItsPlace)
{
    EXPECT_EQ(draw(0.5f), litFromBottom(10, 20));
    EXPECT_EQ(inkBounds(fixture.windowPixels(), 0), kBar);
    // Drawn before it has a frame, into any context, it looks the same.
    auto* loose = new CVuMeter(kBar, on, off, kLeds);
    loose->setValue(0.3f);
    COffscreenContext context(nullptr, 40, 60, {0, 0, 0, 255});
    loose->draw(&context);
    EXPECT_EQ(barOf(context.readPixels(), kBar), litFromBottom(6, 20));
    loose->release();
}

TEST_F(VuMeter, RisesAtOnceAndFallsByItsStepPerDraw)
{
    EXPECT_EQ(draw(3.0f), litFromBottom(20, 20));
    EXPECT_FLOAT_EQ(meter->getValue(), 1.0f) << "a target above the range is brought into it";
    meter->setValue(0.0f);
    // The default step is 0.1 of the scale: one LED, two rows, per draw.
    for (int32_t lit = 18; lit >= 0; lit -= 2)
    {
        EXPECT_TRUE(meter->isDirty());
        EXPECT_EQ(draw(), litFromBottom(lit, 20));
    }
    EXPECT_FALSE(meter->isDirty());
}

TEST_F(VuMeter, WithANegativeStepRisesByItsSizePerDrawFallsAtOnceAndStopsAtTheTop)
{
    meter->setDecreaseStep(-0.25f);
    EXPECT_EQ(draw(0.0f), litFromBottom(0, 20));
    meter->setValue(1.0f);
    // Positions 0.25, 0.5, 0.75: 2.5, 5 and 7.5 LEDs, rounded half up to whole LEDs.
    for (int32_t lit : {4, 10, 14, 20, 20})
    {
        EXPECT_EQ(draw(), litFromBottom(lit, 20));
    }
    EXPECT_FLOAT_EQ(meter->getDrawnValue(), 1.0f);
    EXPECT_FALSE(meter->isDirty());
    EXPECT_EQ(draw(0.0f), litFromBottom(0, 20));
    // Not even a drawn position beyond the top carries it past.
    meter->setDrawnValue(1.5f);
    EXPECT_EQ(draw(1.0f), litFromBottom(20, 20));
    EXPECT_FLOAT_EQ(meter->getDrawnValue(), 1.0f);
}

TEST_F(VuMeter, StaysDirtyWhileItTrailsSoEachFrameIdleMovesItOneStep)
{
    meter->setValue(1.0f);
    fixture.paint();
    meter->setValue(0.0f);
    // Only the view's own flag clears: the position drawn last stays.
    meter->setDirty(false);
    EXPECT_TRUE(meter->isDirty());
    fixture.frame->idle();
    EXPECT_EQ(barOf(fixture.windowPixels(), kBar), litFromBottom(18, 20));
    fixture.frame->idle();
    EXPECT_EQ(barOf(fixture.windowPixels(), kBar), litFromBottom(16, 20));
}

TEST_F(VuMeter, WithoutAnOnBitmapDrawsNothingAndAsksForNoMoreRedraws)
{
    auto* blind = new CVuMeter({20, 7, 26, 27}, nullptr, off, kLeds);
    fixture.frame->addChild(blind);
    blind->setValue(0.5f);
    fixture.frame->drawView(blind);
    EXPECT_EQ(inkBounds(fixture.windowPixels(), 0), CRect{});
    EXPECT_FALSE(blind->isDirty());
}

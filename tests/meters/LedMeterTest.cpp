// The band meters: the display positions of band levels and gains, and the rows a tick
// lights, at the bitmaps' real size of 12 by 36 (one LED per pixel row).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GuiTestSupport.h"
#include "MeterBars.h"
#include "editor/LED_VUMETER.h"
#include "gui/CBitmap.h"

namespace
{
constexpr int32_t kDarkId = 11001;
constexpr int32_t kLitId = 11002;
constexpr int32_t kWidth = 12;
constexpr int32_t kRows = 36;

double gainOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

class LedMeter : public ::testing::Test
{
  protected:
    LedMeter() : fixture(300, 300)
    {
        bitmaps.add(kDarkId, rowCoded(kWidth, kRows, kDarkBase));
        bitmaps.add(kLitId, rowCoded(kWidth, kRows, kLitBase));
        dark = new CBitmap(kDarkId);
        lit = new CBitmap(kLitId);
    }
    ~LedMeter() override
    {
        dark->release();
        lit->release();
    }

    // A level meter: the lit strip fills from the bottom.
    LED_VUMETER* levelMeter()
    {
        return add(new LED_VUMETER(100, 250, LED_VUMETER::kLevel, lit, dark, &source));
    }
    // A reduction meter as the editor builds it: the dark strip is the on-bitmap, so the
    // lit strip (the off-bitmap) hangs from the top.
    LED_VUMETER* reductionMeter()
    {
        return add(new LED_VUMETER(100, 195, LED_VUMETER::kReduction, dark, lit, &source));
    }
    LED_VUMETER* add(LED_VUMETER* meter)
    {
        fixture.frame->addChild(meter);
        return meter;
    }

    // Rows of the bar from the top: 'o' the lit strip, '.' the dark one.
    std::string draw(LED_VUMETER* meter)
    {
        fixture.frame->drawView(meter);
        return barOf(fixture.windowPixels(), meter->getSize());
    }
    // One editor tick with value in the source.
    std::string tick(LED_VUMETER* meter, double value)
    {
        source.store(value);
        meter->update();
        return draw(meter);
    }

    TestBitmaps bitmaps;
    HeadlessFrameFixture fixture;
    CBitmap* dark;
    CBitmap* lit;
    std::atomic<double> source{0.5};
};

// The top rows showing the lit strip of a reduction meter.
std::string hangingFromTop(int32_t rows)
{
    return std::string(size_t(rows), 'o') + std::string(size_t(kRows - rows), '.');
}
} // namespace

TEST(LedMeterPosition, SpansMinus24ToPlus12DecibelsForLevels)
{
    // Float results of a double computation: within one float step of the exact ratio.
    EXPECT_NEAR(levelMeterPosition(1.0), 24.0 / 36.0, 1e-7);
    EXPECT_NEAR(levelMeterPosition(gainOf(-12.0)), 12.0 / 36.0, 1e-7);
    EXPECT_EQ(levelMeterPosition(gainOf(-24.0)), 0.0f);
    EXPECT_EQ(levelMeterPosition(gainOf(-40.0)), 0.0f);
    EXPECT_EQ(levelMeterPosition(gainOf(12.0)), 1.0f);
    EXPECT_EQ(levelMeterPosition(gainOf(30.0)), 1.0f);
}

TEST(LedMeterPosition, Spans18DecibelsOfReductionForGains)
{
    EXPECT_EQ(reductionMeterPosition(1.0), 1.0f);
    // 0.5 is -6.0206 dB: 11.9794 / 18.
    EXPECT_NEAR(reductionMeterPosition(0.5), 0.66552, 1e-5);
    EXPECT_EQ(reductionMeterPosition(gainOf(-18.0)), 0.0f);
    EXPECT_EQ(reductionMeterPosition(1.5), 1.0f);
}

TEST(LedMeterPosition, SilenceDenormalsNegativesAndNaNShowNothingAndInfinityTheTop)
{
    EXPECT_EQ(levelMeterPosition(0.0), 0.0f);
    EXPECT_EQ(levelMeterPosition(1e-39), 0.0f);
    EXPECT_EQ(levelMeterPosition(-1.0), 0.0f);
    EXPECT_EQ(levelMeterPosition(std::nan("")), 0.0f);
    EXPECT_EQ(reductionMeterPosition(std::nan("")), 0.0f);
    EXPECT_EQ(levelMeterPosition(std::numeric_limits<double>::infinity()), 1.0f);
}

TEST_F(LedMeter, TakesTheOffBitmapsSizeAtItsPlace)
{
    EXPECT_EQ(levelMeter()->getSize(), (CRect{100, 250, 112, 286}));
    EXPECT_EQ(reductionMeter()->getSize(), (CRect{100, 195, 112, 231}));
}

TEST_F(LedMeter, AFullScaleBandLightsTheLowest24Of36Rows)
{
    EXPECT_EQ(tick(levelMeter(), 1.0), litFromBottom(24));
}

TEST_F(LedMeter, ABandAtMinus24DecibelsOrBelowLightsNone)
{
    LED_VUMETER* meter = levelMeter();
    EXPECT_EQ(tick(meter, gainOf(-24.0)), litFromBottom(0));
    EXPECT_EQ(tick(meter, gainOf(-60.0)), litFromBottom(0));
}

TEST_F(LedMeter, ALevelBarFallsAboutThreeQuartersOfARowPerDraw)
{
    LED_VUMETER* meter = levelMeter();
    ASSERT_EQ(tick(meter, 1.0), litFromBottom(24));
    meter->update();
    // 0.02 of the scale per draw is 0.72 rows: after ten draws 7.2 rows lower.
    for (int draw = 1; draw < 10; ++draw)
    {
        EXPECT_TRUE(meter->isDirty());
        this->draw(meter);
    }
    EXPECT_EQ(this->draw(meter), litFromBottom(17));
    // 24 rows at 0.72 each: dark after 33 draws in all, at rest after the 34th.
    for (int draw = 11; draw < 33; ++draw)
    {
        this->draw(meter);
    }
    EXPECT_EQ(this->draw(meter), litFromBottom(0));
    EXPECT_TRUE(meter->isDirty());
    this->draw(meter);
    EXPECT_FALSE(meter->isDirty());
}

TEST_F(LedMeter, ALevelBarRisesAtOnce)
{
    LED_VUMETER* meter = levelMeter();
    ASSERT_EQ(tick(meter, gainOf(-18.0)), litFromBottom(6));
    EXPECT_EQ(tick(meter, gainOf(6.0)), litFromBottom(30));
}

TEST_F(LedMeter, NineDecibelsOfReductionLightTheTop18Rows)
{
    EXPECT_EQ(tick(reductionMeter(), gainOf(-9.0)), hangingFromTop(18));
}

TEST_F(LedMeter, AReductionBarShrinksByAtMostTwoRowsPerDrawAndStopsAtNoReduction)
{
    LED_VUMETER* meter = reductionMeter();
    ASSERT_EQ(tick(meter, gainOf(-9.0)), hangingFromTop(18));
    meter->update();
    // 0.05 of the scale per draw is 1.8 rows; rounding to whole rows gives steps of 1 or 2.
    const int32_t expected[] = {16, 14, 13, 11, 9, 7, 5, 4, 2, 0};
    for (int32_t rows : expected)
    {
        EXPECT_EQ(draw(meter), hangingFromTop(rows));
    }
    EXPECT_FALSE(meter->isDirty());
    EXPECT_FLOAT_EQ(meter->getDrawnValue(), 1.0f);
}

TEST_F(LedMeter, MoreReductionShowsAtOnce)
{
    LED_VUMETER* meter = reductionMeter();
    ASSERT_EQ(tick(meter, gainOf(-2.0)), hangingFromTop(4));
    EXPECT_EQ(tick(meter, gainOf(-30.0)), hangingFromTop(36));
}

TEST_F(LedMeter, ANewMeterShowsItsRestingPositionBeforeTheFirstTick)
{
    EXPECT_EQ(draw(reductionMeter()), hangingFromTop(0));
    EXPECT_EQ(draw(levelMeter()), litFromBottom(0));
}

TEST_F(LedMeter, BuildingAMeterWritesTheRestingValueIntoItsSource)
{
    levelMeter();
    EXPECT_EQ(source.load(), 0.0);
    source.store(0.25);
    reductionMeter();
    EXPECT_EQ(source.load(), 1.0);
}

TEST_F(LedMeter, ATickTakesTheValueAndPutsTheRestingValueBack)
{
    LED_VUMETER* level = levelMeter();
    source.store(1.0);
    level->update();
    EXPECT_EQ(source.load(), 0.0);
    EXPECT_NEAR(level->getValue(), 24.0 / 36.0, 1e-7);

    LED_VUMETER* reduction = reductionMeter();
    source.store(0.5);
    reduction->update();
    EXPECT_EQ(source.load(), 1.0);
    EXPECT_NEAR(reduction->getValue(), 0.66552, 1e-5);
}

TEST_F(LedMeter, WithoutASourceStaysAtRest)
{
    auto* meter = add(new LED_VUMETER(10, 10, LED_VUMETER::kReduction, dark, lit, nullptr));
    meter->update();
    EXPECT_EQ(meter->getValue(), 1.0f);
    EXPECT_EQ(draw(meter), hangingFromTop(0));
}

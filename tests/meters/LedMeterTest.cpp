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
double gainOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

class LedMeter : public ::testing::Test
{
  protected:
    LedMeter() : fixture(300, 300)
    {
        bitmaps.add(11001, rowCoded(12, 36, kDarkBase));
        bitmaps.add(11002, rowCoded(12, 36, kLitBase));
        dark = new CBitmap(11001);
        lit = new CBitmap(11002);
    }
    ~LedMeter() override
    {
        dark->release();
        lit->release();
    }

    // A meter as the editor builds it: the level meter's on-bitmap is the lit strip, the
    // reduction meter's the dark one, so its lit strip hangs from the top.
    LED_VUMETER* add(int style, std::atomic<double>* from)
    {
        auto* meter = style == LED_VUMETER::kLevel
                          ? new LED_VUMETER(100, 250, style, lit, dark, from)
                          : new LED_VUMETER(100, 195, style, dark, lit, from);
        fixture.frame->addChild(meter);
        return meter;
    }
    LED_VUMETER* add(int style) { return add(style, &source); }
    // Rows of the bar from the top after one draw: 'o' lit, '.' dark.
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

std::string hangingFromTop(int32_t rows)
{
    return std::string(size_t(rows), 'o') + std::string(size_t(36 - rows), '.');
}
} // namespace

TEST(LedMeterPosition, FullScaleIsTwoThirdsAndNothingBelowTheSmallestNormalFloat)
{
    // Float results of a double computation: within one float step of the exact ratio.
    EXPECT_NEAR(levelMeterPosition(1.0), 24.0 / 36.0, 1e-7);
    // 0.5 is -6.0206 dB: 11.9794 / 18.
    EXPECT_NEAR(reductionMeterPosition(0.5), 0.66552, 1e-5);
    for (double nothing : {0.0, 1e-39, -1.0, std::nan("")})
    {
        EXPECT_EQ(levelMeterPosition(nothing), 0.0f) << nothing;
        EXPECT_EQ(reductionMeterPosition(nothing), 0.0f) << nothing;
    }
    EXPECT_EQ(levelMeterPosition(std::numeric_limits<double>::infinity()), 1.0f);
    EXPECT_EQ(reductionMeterPosition(4.0), 1.0f);
}

TEST_F(LedMeter, AFullScaleBandLightsTheLowest24Of36RowsAndMinus24DecibelsNone)
{
    LED_VUMETER* meter = add(LED_VUMETER::kLevel);
    EXPECT_EQ(meter->getSize(), (CRect{100, 250, 112, 286}));
    EXPECT_EQ(tick(meter, 1.0), litFromBottom(24));
    EXPECT_EQ(tick(add(LED_VUMETER::kLevel), gainOf(-24.0)), litFromBottom(0));
}

TEST_F(LedMeter, ALevelBarRisesAtOnceAndFallsAboutThreeQuartersOfARowPerDraw)
{
    LED_VUMETER* meter = add(LED_VUMETER::kLevel);
    ASSERT_EQ(tick(meter, gainOf(-18.0)), litFromBottom(6));
    ASSERT_EQ(tick(meter, 1.0), litFromBottom(24));
    meter->update();
    // 0.02 of the scale per draw is 0.72 rows: after ten draws 7.2 rows lower.
    for (int draw = 1; draw < 10; ++draw)
    {
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

TEST_F(LedMeter, NineDecibelsOfReductionLightTheTop18RowsAndRecoverAtMostTwoRowsPerDraw)
{
    LED_VUMETER* meter = add(LED_VUMETER::kReduction);
    EXPECT_EQ(meter->getSize(), (CRect{100, 195, 112, 231}));
    ASSERT_EQ(tick(meter, gainOf(-9.0)), hangingFromTop(18));
    meter->update();
    // 0.05 of the scale per draw is 1.8 rows; rounding to whole rows gives steps of 1 or 2.
    for (int32_t rows : {16, 14, 13, 11, 9, 7, 5, 4, 2, 0})
    {
        EXPECT_EQ(draw(meter), hangingFromTop(rows));
    }
    EXPECT_FALSE(meter->isDirty());
    EXPECT_FLOAT_EQ(meter->getDrawnValue(), 1.0f);
    EXPECT_EQ(tick(meter, gainOf(-30.0)), hangingFromTop(36)) << "more reduction shows at once";
}

TEST_F(LedMeter, StartsAtRestInItsSourceAndOnScreen)
{
    LED_VUMETER* level = add(LED_VUMETER::kLevel);
    EXPECT_EQ(source.load(), 0.0);
    EXPECT_EQ(draw(level), litFromBottom(0));
    source.store(0.25);
    // A new reduction meter must not start out at full reduction and crawl back.
    LED_VUMETER* reduction = add(LED_VUMETER::kReduction);
    EXPECT_EQ(source.load(), 1.0);
    EXPECT_EQ(draw(reduction), hangingFromTop(0));
    // Without a source it stays there.
    LED_VUMETER* loose = add(LED_VUMETER::kReduction, nullptr);
    loose->update();
    EXPECT_EQ(draw(loose), hangingFromTop(0));
}

TEST_F(LedMeter, ATickTakesTheValueAndPutsTheRestingValueBack)
{
    LED_VUMETER* level = add(LED_VUMETER::kLevel);
    source.store(1.0);
    level->update();
    EXPECT_EQ(source.load(), 0.0);
    LED_VUMETER* reduction = add(LED_VUMETER::kReduction);
    source.store(0.5);
    reduction->update();
    EXPECT_EQ(source.load(), 1.0);
    EXPECT_NEAR(reduction->getValue(), reductionMeterPosition(0.5), 1e-7);
}

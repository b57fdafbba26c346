// The output meter: its smoothing of the output peak and of the overall gain reduction,
// and the strip frame a steady signal settles on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GuiTestSupport.h"
#include "editor/VUMETER.h"
#include "gui/CBitmap.h"
#include "plugin/vst2/AKkk.h"

namespace
{
// Long enough for every smoothing here to settle within float resolution.
constexpr int kSettleTicks = 400;

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

double gainOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

class OutputMeter : public ::testing::Test
{
  protected:
    OutputMeter()
    {
        bitmaps.add(133, numberedStrip(100, 43, 73));
        strip = new CBitmap(133);
        meter = new VUMETER(strip, 590, 54, &effect.published());
        setMode(0.0f);
    }
    ~OutputMeter() override
    {
        meter->release();
        strip->release();
    }

    // 0: the output peak, 1: the overall gain reduction.
    void setMode(float mode) { effect.setParameter(kParamMeterMode, mode); }
    // Ticks with a new value in the meter value of the current mode; the last position.
    float ticks(double value, int count = 1)
    {
        std::atomic<double>& source =
            effect.meterMode() ? effect.meters().minGain : effect.meters().outPeak;
        for (int tick = 0; tick < count; ++tick)
        {
            source.store(value);
            meter->update();
        }
        return meter->getValue();
    }

    TestBitmaps bitmaps;
    AKkk effect{host};
    CBitmap* strip;
    VUMETER* meter;
};
} // namespace

TEST_F(OutputMeter, ASteadyFullScalePeakSettlesOnFrame48AndPlus12DecibelsOrMoreOn72)
{
    EXPECT_EQ(meter->getSize(), (CRect{590, 54, 690, 97}));
    EXPECT_NEAR(ticks(1.0, kSettleTicks), 24.0 / 36.0, 1e-5);
    EXPECT_EQ(meter->frameIndex(), 48);
    for (double peak : {gainOf(12.0), gainOf(20.0), 1e300})
    {
        EXPECT_EQ(ticks(peak, kSettleTicks), 1.0f) << peak;
        EXPECT_EQ(meter->frameIndex(), 72) << peak;
    }
}

TEST_F(OutputMeter, APeakShowsInPartAtOnceRisesOneTickMoreThenFalls043DecibelsPerTick)
{
    // The first tick shows 1 - e^-0.5 of it: -8.10 dB.
    const float first = ticks(1.0);
    EXPECT_NEAR(first * 36.0 - 24.0, 20.0 * std::log10(1.0 - std::exp(-0.5)), 1e-4);
    EXPECT_GT(ticks(0.0), first) << "the held peak still pulls it up";
    ticks(1.0, kSettleTicks);
    // Then the held peak decays faster than the shown one, which falls by e^-0.05 per tick.
    const float before = ticks(0.0);
    EXPECT_NEAR((ticks(0.0, 10) - before) * 36.0, 10.0 * 20.0 * std::log10(std::exp(-0.05)), 1e-3);
}

TEST_F(OutputMeter, ReadsAndResetsOnlyTheValueOfItsMode)
{
    effect.meters().minGain.store(0.3);
    ticks(0.8);
    EXPECT_EQ(effect.meters().outPeak.load(), 0.0);
    EXPECT_EQ(effect.meters().minGain.load(), 0.3);
    setMode(1.0f);
    effect.meters().outPeak.store(0.8);
    ticks(0.3);
    EXPECT_EQ(effect.meters().minGain.load(), 1.0);
    EXPECT_EQ(effect.meters().outPeak.load(), 0.8);
}

TEST_F(OutputMeter, InReductionModeSixDecibelsSettleOnFrame36AndNoneOnFrame48)
{
    setMode(1.0f);
    // -6.02 dB on the -24 to +12 dB scale: 72 x 17.98 / 36 = 35.96.
    EXPECT_NEAR(ticks(0.5, kSettleTicks) * 36.0 - 24.0, -6.0206, 1e-4);
    EXPECT_EQ(meter->frameIndex(), 36);
    ticks(1.0, kSettleTicks);
    EXPECT_EQ(meter->frameIndex(), 48);
    // Each tick closes 1 - e^-0.5 of the distance in gain: after ten ticks e^-5 of the
    // 0.75 from 1 to -12 dB is left, 0.17 dB.
    EXPECT_NEAR(ticks(gainOf(-12.0), 10) * 36.0 - 24.0, -12.0, 0.2);
}

TEST_F(OutputMeter, IgnoresNonFiniteReadings)
{
    auto* reference = new VUMETER(strip, 0, 0, &effect.published());
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()})
    {
        ticks(1.0);
        effect.meters().outPeak.store(1.0);
        reference->update();
        ticks(bad);
        reference->update();
        EXPECT_EQ(meter->getValue(), reference->getValue()) << bad;
    }
    reference->release();
}

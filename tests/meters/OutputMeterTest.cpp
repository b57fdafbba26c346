// The output meter: its smoothing of the output peak and of the overall gain reduction,
// and the strip frame a steady signal settles on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GuiTestSupport.h"
#include "editor/LED_VUMETER.h"
#include "editor/VUMETER.h"
#include "gui/CBitmap.h"
#include "plugin/AKkk.h"

namespace
{
constexpr int32_t kStripId = 133;
constexpr int32_t kFrames = 73;
constexpr int32_t kFrameHeight = 43;
// Long enough for every smoothing here to settle within float resolution.
constexpr int kSettleTicks = 400;
// 20 log10(e^-0.05): the fall of the shown peak per tick once it is above the held one.
constexpr double kFallDbPerTick = -0.43429448;

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
        bitmaps.add(kStripId, numberedStrip(100, kFrameHeight, kFrames));
        strip = new CBitmap(kStripId);
        meter = new VUMETER(strip, 590, 54, &effect);
        // The product starts in reduction mode; most facts here are about the peak.
        effect.setParameter(kParamMeterMode, 0.0f);
    }
    ~OutputMeter() override
    {
        meter->release();
        strip->release();
    }

    void showReduction() { effect.setParameter(kParamMeterMode, 1.0f); }

    // One tick with a new output peak.
    float peakTick(double peak)
    {
        effect.meters().outPeak.store(peak);
        meter->update();
        return meter->getValue();
    }
    // One tick with a new overall minimum gain.
    float gainTick(double gain)
    {
        effect.meters().minGain.store(gain);
        meter->update();
        return meter->getValue();
    }

    TestBitmaps bitmaps;
    AKkk effect{host};
    CBitmap* strip;
    VUMETER* meter;
};
} // namespace

TEST_F(OutputMeter, TakesOneFrameOfTheStripAtItsPlace)
{
    EXPECT_EQ(meter->getSize(), (CRect{590, 54, 690, 97}));
}

TEST_F(OutputMeter, ASteadyFullScalePeakSettlesOnFrame48)
{
    for (int tick = 0; tick < kSettleTicks; ++tick)
    {
        peakTick(1.0);
    }
    EXPECT_NEAR(meter->getValue(), 24.0 / 36.0, 1e-5);
    EXPECT_EQ(meter->frameIndex(), 48);
}

TEST_F(OutputMeter, PlusTwelveDecibelsAndBeyondSettleOnFrame72)
{
    for (double peak : {gainOf(12.0), gainOf(20.0), 1e300})
    {
        for (int tick = 0; tick < kSettleTicks; ++tick)
        {
            peakTick(peak);
        }
        EXPECT_EQ(meter->frameIndex(), 72) << peak;
        EXPECT_EQ(meter->getValue(), 1.0f) << peak;
    }
}

TEST_F(OutputMeter, ANewPeakShowsAtOnceInPartAndKeepsRisingForAnotherTick)
{
    // The first tick shows 1 - e^-0.5 of it: -8.10 dB, position (24 - 8.103) / 36.
    EXPECT_NEAR(peakTick(1.0), (24.0 + 20.0 * std::log10(1.0 - std::exp(-0.5))) / 36.0, 1e-6);
    const float first = meter->getValue();
    EXPECT_GT(peakTick(0.0), first);
}

TEST_F(OutputMeter, OnceThePeakIsGoneFallsByFourTenthsOfADecibelPerTick)
{
    for (int tick = 0; tick < kSettleTicks; ++tick)
    {
        peakTick(1.0);
    }
    // The held peak decays faster than the shown one: the fall is steady from the first tick.
    const float before = meter->getValue();
    for (int tick = 0; tick < 10; ++tick)
    {
        peakTick(0.0);
    }
    // Float smoothing over ten ticks: far below 1e-5 of the scale.
    EXPECT_NEAR(meter->getValue() - before, 10.0 * kFallDbPerTick / 36.0, 1e-5);
}

TEST_F(OutputMeter, InPeakModeTakesTheOutputPeakAndLeavesTheMinimumGain)
{
    effect.meters().minGain.store(0.3);
    peakTick(0.8);
    EXPECT_EQ(effect.meters().outPeak.load(), 0.0);
    EXPECT_EQ(effect.meters().minGain.load(), 0.3);
}

TEST_F(OutputMeter, InReductionModeTakesTheMinimumGainAndLeavesTheOutputPeak)
{
    showReduction();
    effect.meters().outPeak.store(0.8);
    gainTick(0.3);
    EXPECT_EQ(effect.meters().minGain.load(), 1.0);
    EXPECT_EQ(effect.meters().outPeak.load(), 0.8);
}

TEST_F(OutputMeter, InReductionModeSixDecibelsSettleOnFrame36AndNoneOnFrame48)
{
    showReduction();
    for (int tick = 0; tick < kSettleTicks; ++tick)
    {
        gainTick(0.5);
    }
    // -6.02 dB: position 17.98 / 36 = 0.4994, frame 72 x 0.4994 = 35.96.
    EXPECT_NEAR(meter->getValue(), levelMeterPosition(0.5), 1e-5);
    EXPECT_EQ(meter->frameIndex(), 36);
    for (int tick = 0; tick < kSettleTicks; ++tick)
    {
        gainTick(1.0);
    }
    EXPECT_EQ(meter->frameIndex(), 48);
}

TEST_F(OutputMeter, InReductionModeMoreReductionShowsWithinAFewTicks)
{
    showReduction();
    for (int tick = 0; tick < kSettleTicks; ++tick)
    {
        gainTick(1.0);
    }
    // Each tick closes 1 - e^-0.5 of the distance in gain: after ten ticks e^-5 of the
    // 0.75 from 1 to -12 dB is left, 0.17 dB.
    for (int tick = 0; tick < 10; ++tick)
    {
        gainTick(gainOf(-12.0));
    }
    EXPECT_NEAR(meter->getValue() * 36.0 - 24.0, -12.0, 0.2);
}

TEST_F(OutputMeter, IgnoresNonFiniteReadings)
{
    auto* reference = new VUMETER(strip, 0, 0, &effect);
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity()};
    for (double reading : bad)
    {
        peakTick(1.0);
        effect.meters().outPeak.store(1.0);
        reference->update();
        peakTick(reading);
        effect.meters().outPeak.store(0.0);
        reference->update();
        EXPECT_EQ(meter->getValue(), reference->getValue()) << reading;
    }
    reference->release();
}

TEST_F(OutputMeter, WithoutAnEffectNeverMoves)
{
    auto* orphan = new VUMETER(strip, 0, 0, nullptr);
    orphan->update();
    EXPECT_EQ(orphan->getValue(), 0.0f);
    EXPECT_EQ(orphan->frameIndex(), 0);
    orphan->release();
}

#include "engine/BandLimiter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

constexpr int kRate = 44100;

// Sets the times and the threshold and takes them as the audio thread takes them.
void configure(CBandLimiter& l, double attackMs, double releaseMs, double thresholdDb)
{
    l.setAttack(attackMs);
    l.setRelease(releaseMs);
    l.setThreshold(thresholdDb);
    l.pullSettings();
}

double run(CBandLimiter& l, double level, int samples)
{
    double gain = 1.0;
    for (int i = 0; i < samples; ++i)
    {
        gain = l.process(level);
    }
    return gain;
}

} // namespace

TEST(BandLimiter, ConstantLevelAboveTheThresholdSettlesAtTheThreshold)
{
    CBandLimiter l;
    configure(l, 1.71, 47.4, -8.0);
    const double threshold = std::pow(10.0, -8.0 / 20.0);
    const double gain = run(l, 0.9, 20000);
    // 20000 samples are over 200 attack time constants: only rounding is left.
    EXPECT_NEAR(0.9 * gain, threshold, 1e-12);
}

TEST(BandLimiter, LevelAtTheThresholdIsNotReduced)
{
    CBandLimiter l;
    configure(l, 1.0, 50.0, 0.0); // a linear threshold of exactly 1
    EXPECT_EQ(run(l, 1.0, 100), 1.0);
    EXPECT_LT(l.process(1.0000001), 1.0);
}

TEST(BandLimiter, AttackIsAOnePoleStepTowardTheStaticGain)
{
    CBandLimiter l;
    configure(l, 1.71, 50.0, 0.0);
    // At 44100 Hz, 1.71 ms gives aA = 0.98682687 (to the 8 digits given).
    const double aA = 0.98682687;
    EXPECT_NEAR(l.process(2.0), 0.5 * (1.0 - aA) + 1.0 * aA, 1e-8);
}

TEST(BandLimiter, ReleaseBringsTheReciprocalBackWithTheReleaseTimeConstant)
{
    CBandLimiter l;
    configure(l, 0.0, 50.0, 0.0);
    const double reduced = l.process(4.0); // zero attack: straight to the static gain 0.25
    EXPECT_EQ(reduced, 0.25);

    // 50 ms at 44100 Hz is 2205 samples: 1/g - 1 falls by e each time constant.
    const double gain = run(l, 0.0, 2205);
    const double ratio = (1.0 / gain - 1.0) / (1.0 / reduced - 1.0);
    EXPECT_NEAR(ratio, std::exp(-1.0), 1e-12);
}

TEST(BandLimiter, ZeroTimesStepAtOnce)
{
    CBandLimiter l;
    configure(l, 0.0, 0.0, 0.0);
    EXPECT_EQ(l.process(2.0), 0.5);
    EXPECT_EQ(l.process(0.5), 1.0);
}

TEST(BandLimiter, SampleRateChangeRecomputesTheCoefficientsFromTheStoredTimes)
{
    CBandLimiter l;
    configure(l, 1.0, 50.0, 0.0);
    l.setSampleRate(2 * kRate);
    l.pullSettings();
    const double aA = std::exp(-1.0 / (1.0 * 2 * kRate * 0.001));
    EXPECT_NEAR(l.process(2.0), 0.5 * (1.0 - aA) + aA, 1e-15);
}

TEST(BandLimiter, BandGainIsLinearFromDecibels)
{
    CBandLimiter l;
    l.setGain(6.0);
    l.pullSettings();
    // 10^(6/20). The linear value is the rounded base 1.1220184543019636 raised to the dB
    // value, whose rounding grows to a few units in the last place at 6 dB.
    EXPECT_NEAR(l.bandGain(), std::pow(10.0, 6.0 / 20.0), 1e-14);
}

TEST(BandLimiter, SettingsReachTheAudioSideOnlyWhenPulled)
{
    CBandLimiter l;
    configure(l, 0.0, 0.0, 0.0);
    l.setThreshold(-6.0);
    l.setGain(12.0);
    EXPECT_EQ(l.process(0.9), 1.0);
    EXPECT_EQ(l.bandGain(), 1.0);
    l.pullSettings();
    EXPECT_LT(l.process(0.9), 1.0);
    EXPECT_GT(l.bandGain(), 3.9);
}

TEST(BandLimiter, ResetRestoresUnityGainAndAnIdleDetector)
{
    CBandLimiter l;
    configure(l, 1.0, 50.0, 0.0);
    run(l, 3.0, 500);
    EXPECT_EQ(l.detectorLevel(), 3.0);
    l.reset();
    EXPECT_EQ(l.smoothedGain(), 1.0);
    EXPECT_EQ(l.detectorLevel(), 0.0);
}

TEST(BandLimiter, IgnoresValuesThatAreNotFinite)
{
    CBandLimiter reference;
    configure(reference, 1.0, 50.0, -3.0);
    CBandLimiter l;
    configure(l, 1.0, 50.0, -3.0);
    l.setThreshold(std::nan(""));
    l.setThreshold(-INFINITY);
    l.setAttack(INFINITY);
    l.setRelease(std::nan(""));
    l.setGain(INFINITY);
    l.setSampleRate(0);
    l.pullSettings();
    for (double level : {2.0, 2.0, 0.1, 0.1, 5.0, 0.0})
    {
        EXPECT_EQ(l.process(level), reference.process(level));
    }
    EXPECT_EQ(l.bandGain(), 1.0);
}

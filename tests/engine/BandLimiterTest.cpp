#include "engine/BandLimiter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// Sets the times and the threshold and takes them as the audio thread does.
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
    // 20000 samples are over 200 attack time constants: only rounding is left.
    EXPECT_NEAR(0.9 * run(l, 0.9, 20000), std::pow(10.0, -8.0 / 20.0), 1e-12);
}

TEST(BandLimiter, LevelAtTheThresholdIsNotReducedAndOneAboveIsAttacked)
{
    CBandLimiter l;
    configure(l, 1.71, 50.0, 0.0); // a linear threshold of exactly 1
    EXPECT_EQ(run(l, 1.0, 100), 1.0);
    // One attack step toward 0.5 with aA = 0.98682687 (1.71 ms at 44100 Hz, 8 digits given).
    EXPECT_NEAR(l.process(2.0), 0.5 * (1.0 - 0.98682687) + 0.98682687, 1e-8);
}

TEST(BandLimiter, ReleaseBringsTheReciprocalBackWithTheReleaseTimeConstant)
{
    CBandLimiter l;
    configure(l, 0.0, 50.0, 0.0);
    EXPECT_EQ(l.process(4.0), 0.25); // zero attack: straight to the static gain
    // 50 ms at 44100 Hz is 2205 samples: 1/g - 1 falls by e each time constant.
    const double gain = run(l, 0.0, 2205);
    EXPECT_NEAR((1.0 / gain - 1.0) / (1.0 / 0.25 - 1.0), std::exp(-1.0), 1e-12);
}

TEST(BandLimiter, SettingsReachTheAudioSideWhenPulled)
{
    CBandLimiter l;
    configure(l, 0.0, 0.0, 0.0);
    l.setThreshold(-6.0);
    l.setGain(6.0);
    EXPECT_EQ(l.process(0.9), 1.0);
    EXPECT_EQ(l.bandGain(), 1.0);
    l.pullSettings();
    EXPECT_NEAR(l.process(0.9) * 0.9, std::pow(10.0, -6.0 / 20.0), 1e-14);
    // 10^(6/20) from the rounded base 1.1220184543019636: a few units in the last place.
    EXPECT_NEAR(l.bandGain(), std::pow(10.0, 6.0 / 20.0), 1e-14);
}

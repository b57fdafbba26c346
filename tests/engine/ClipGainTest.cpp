#include "engine/ClipGain.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ClipGain, ReleaseTimeIsTwelveSamplesAt44100Hz)
{
    const CClipGain gain;
    // The value is given to ten decimals.
    EXPECT_NEAR(gain.releaseCoefficient(), 0.9200444173, 1e-10);
}

TEST(ClipGain, FallsAtOnceAndReleasesItsReciprocal)
{
    CClipGain gain;
    const double reduced = gain.gainFor(2.0);
    EXPECT_EQ(reduced, gain.knee().staticGain(2.0));

    const double aR = gain.releaseCoefficient();
    const double released = gain.gainFor(0.5);
    EXPECT_NEAR(1.0 / released, aR / reduced + (1.0 - aR), 1e-15);
    // A deeper level takes over at once, even mid-release.
    EXPECT_EQ(gain.gainFor(3.0), 1.0 / 3.0);
}

TEST(ClipGain, SampleRateAndReleaseTimeSetTheCoefficient)
{
    CClipGain gain;
    gain.setSampleRate(96000);
    EXPECT_NEAR(gain.releaseCoefficient(), std::exp(-1.0 / (kClipReleaseMs * 96.0)), 1e-15);
    gain.setRelease(2.0);
    EXPECT_NEAR(gain.releaseCoefficient(), std::exp(-1.0 / 192.0), 1e-15);
    gain.setRelease(0.0);
    EXPECT_EQ(gain.releaseCoefficient(), 0.0);
    gain.setSampleRate(0);
    gain.setRelease(std::nan(""));
    EXPECT_EQ(gain.releaseCoefficient(), 0.0);
}

TEST(ClipGain, ResetReturnsToUnityGain)
{
    CClipGain gain;
    gain.gainFor(2.5);
    gain.reset();
    EXPECT_EQ(gain.gain(), 1.0);
}

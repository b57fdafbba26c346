#include "engine/SafeClip.h"

#include "engine/SoftKnee.h"
#include "tests/engine/SignalHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr int kDelay = CSafeClip::kDelayFrames;
constexpr double kCeiling = CSafeClip::kCeiling;

struct Outputs
{
    std::vector<double> left;
    std::vector<double> right;
};

Outputs run(CSafeClip& clip, const std::vector<double>& left, const std::vector<double>& right)
{
    Outputs out;
    for (size_t i = 0; i < left.size(); ++i)
    {
        const StereoSample y = clip.process(left[i], right[i]);
        out.left.push_back(y.left);
        out.right.push_back(y.right);
    }
    return out;
}

std::vector<double> doubles(const std::vector<float>& samples)
{
    return {samples.begin(), samples.end()};
}

double largestMagnitude(const Outputs& out)
{
    double largest = 0.0;
    for (const std::vector<double>* channel : {&out.left, &out.right})
    {
        for (double y : *channel)
        {
            largest = std::max(largest, std::fabs(y));
        }
    }
    return largest;
}

// The look-ahead measures the excess from the single-precision 0.8 but adds it to the literal
// 0.8, so the level can lie 1.2e-8 below the sample it covers; the output may therefore pass
// the ceiling by that fraction, and by nothing else.
constexpr double kCeilingSlack = kCeiling * 2e-8;

} // namespace

TEST(SafeClip, DisabledIsAPureDelayOfFifteenSamples)
{
    CSafeClip clip;
    clip.setEnabled(false);
    clip.pullSettings();
    const std::vector<double> left = doubles(noise(1000, 4.0f, 1));
    const std::vector<double> right = doubles(noise(1000, 4.0f, 2));
    const Outputs out = run(clip, left, right);
    for (size_t i = 0; i < left.size(); ++i)
    {
        ASSERT_EQ(out.left[i], i < kDelay ? 0.0 : left[i - kDelay]) << i;
        ASSERT_EQ(out.right[i], i < kDelay ? 0.0 : right[i - kDelay]) << i;
    }
}

TEST(SafeClip, EnabledBelowFullScaleIsTheDelayedInputTimesTheCeiling)
{
    CSafeClip clip;
    std::vector<double> left = doubles(noise(2000, 1.0f, 3));
    std::vector<double> right = doubles(noise(2000, 1.0f, 4));
    left[700] = 1.0;
    right[900] = -1.0; // exactly full scale does not trigger
    const Outputs out = run(clip, left, right);
    for (size_t i = kDelay; i < left.size(); ++i)
    {
        ASSERT_EQ(out.left[i], left[i - kDelay] * kCeiling) << i;
        ASSERT_EQ(out.right[i], right[i - kDelay] * kCeiling) << i;
    }
}

TEST(SafeClip, SinglePeakIsAnticipatedByTheWeightsAndOutputBelowFullScale)
{
    // A quiet bed of 0.5 shows the gain on the samples before and after the peak.
    constexpr int kPeakAt = 100;
    std::vector<double> in(800, 0.5);
    in[kPeakAt] = 2.0;
    CSafeClip clip;
    const Outputs out = run(clip, in, std::vector<double>(in.size(), 0.0));
    const CSoftKnee knee;
    const double excess = 2.0 - kKneeStart;

    // The gain falls as the peak approaches: from the call that takes the peak in (weight w15)
    // to the call that outputs it (weight w0).
    for (int k = 15; k >= 1; --k)
    {
        const int call = kPeakAt + kDelay - k;
        const double level = 0.8 + CSafeClip::kLookAheadWeights[k] * excess;
        EXPECT_NEAR(out.left[call], knee.staticGain(level) * 0.5 * kCeiling, 1e-15) << k;
    }
    EXPECT_EQ(out.left[kPeakAt + kDelay - 16], 0.5 * kCeiling);
    // 2.0 x 0.4925110202 x 0.99993896484375, with the level measured as above.
    EXPECT_NEAR(out.left[kPeakAt + kDelay], 0.9849619250, 1e-10);
    // Afterwards the gain releases toward 1, its reciprocal by 0.92 per sample.
    for (size_t call = kPeakAt + kDelay + 2; call < in.size(); ++call)
    {
        ASSERT_GE(out.left[call], out.left[call - 1]);
    }
    EXPECT_NEAR(out.left.back(), 0.5 * kCeiling, 1e-12);
}

TEST(SafeClip, HoldsEveryOutputBelowTheCeiling)
{
    CSafeClip clip;
    std::vector<double> left = doubles(noise(200000, 6.0f, 5));
    std::vector<double> right = doubles(noise(200000, 1.2f, 6));
    for (size_t i = 0; i < left.size(); i += 997)
    {
        left[i] = 1000.0; // isolated spikes far past the knee
    }
    EXPECT_LE(largestMagnitude(run(clip, left, right)), kCeiling + kCeilingSlack);
}

TEST(SafeClip, HoldsFullScaleSquareWavesBelowTheCeiling)
{
    for (double amplitude : {1.0, 1.0001, 1.5, 3.0, 20.0})
    {
        for (int halfPeriod : {1, 3, 16, 17, 100})
        {
            CSafeClip clip;
            std::vector<double> square(4000);
            for (size_t i = 0; i < square.size(); ++i)
            {
                square[i] = (i / halfPeriod) % 2 == 0 ? amplitude : -amplitude;
            }
            EXPECT_LE(largestMagnitude(run(clip, square, square)), kCeiling + kCeilingSlack)
                << amplitude << " every " << halfPeriod;
        }
    }
}

TEST(SafeClip, ALoudLeftChannelLeavesTheRightAlone)
{
    CSafeClip clip;
    const std::vector<double> left = doubles(noise(3000, 5.0f, 7));
    const std::vector<double> right = doubles(noise(3000, 0.9f, 8));
    const Outputs out = run(clip, left, right);
    for (size_t i = kDelay; i < right.size(); ++i)
    {
        ASSERT_EQ(out.right[i], right[i - kDelay] * kCeiling) << i;
    }
}

TEST(SafeClip, FirstFifteenOutputsAfterResetAreSilent)
{
    CSafeClip clip;
    const std::vector<double> loud = doubles(noise(500, 3.0f, 9));
    run(clip, loud, loud);
    clip.reset();
    const Outputs out = run(clip, loud, loud);
    for (int i = 0; i < kDelay; ++i)
    {
        EXPECT_EQ(out.left[i], 0.0);
        EXPECT_EQ(out.right[i], 0.0);
    }
    // And the stage then behaves as a new one.
    CSafeClip fresh;
    const Outputs expected = run(fresh, loud, loud);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);
}

TEST(SafeClip, DisablingFreezesTheLimiterWhileTheDelayGoesOn)
{
    // The same programme twice; the second time the stage is off for a while mid-release,
    // fed the same quiet bed, and must pick up where it stopped.
    constexpr int kOffAt = 130; // 15 samples after the peak has been output
    constexpr int kOffFor = 100;
    std::vector<double> in(400, 0.5);
    in[100] = 2.0;
    const std::vector<double> silentRight(in.size(), 0.0);

    CSafeClip steady;
    const Outputs reference = run(steady, in, silentRight);

    CSafeClip paused;
    std::vector<double> before(in.begin(), in.begin() + kOffAt);
    run(paused, before, std::vector<double>(before.size(), 0.0));
    paused.setEnabled(false);
    paused.pullSettings();
    const std::vector<double> bed(kOffFor, 0.5);
    const Outputs off = run(paused, bed, std::vector<double>(bed.size(), 0.0));
    for (double y : off.left)
    {
        EXPECT_EQ(y, 0.5); // unscaled
    }
    paused.setEnabled(true);
    paused.pullSettings();
    std::vector<double> after(in.begin() + kOffAt, in.end());
    const Outputs on = run(paused, after, std::vector<double>(after.size(), 0.0));
    ASSERT_LT(reference.left[kOffAt], 0.5 * kCeiling); // still releasing when switched off
    for (size_t i = 0; i < after.size(); ++i)
    {
        ASSERT_EQ(on.left[i], reference.left[kOffAt + i]) << i;
    }
}

TEST(SafeClip, EnabledFlagTakesEffectAtThePull)
{
    CSafeClip clip;
    clip.setEnabled(false);
    std::vector<double> in(40, 0.5);
    const Outputs beforePull = run(clip, in, in);
    EXPECT_EQ(beforePull.left.back(), 0.5 * kCeiling);
    clip.pullSettings();
    const Outputs afterPull = run(clip, in, in);
    EXPECT_EQ(afterPull.left.back(), 0.5);
}

TEST(SafeClip, ThresholdMovesTheKneeAndIgnoresValuesOutsideFullScale)
{
    std::vector<double> in(60, 0.0);
    in[10] = 1.5;
    CSafeClip standard;
    const Outputs expected = run(standard, in, in);

    for (double bad : {0.0, -0.5, 1.0, 1.5, std::nan("")})
    {
        CSafeClip clip;
        clip.setThreshold(bad);
        EXPECT_EQ(run(clip, in, in).left, expected.left) << bad;
    }
    CSafeClip lower;
    lower.setThreshold(0.5);
    EXPECT_LT(run(lower, in, in).left[10 + kDelay], expected.left[10 + kDelay]);
}

TEST(SafeClip, SampleRateSetsTheReleaseOfBothChannels)
{
    std::vector<double> in(80, 0.5);
    in[10] = 2.0;
    CSafeClip fast;
    CSafeClip slow;
    slow.setSampleRate(192000);
    const Outputs a = run(fast, in, in);
    const Outputs b = run(slow, in, in);
    const int after = 10 + kDelay + 5;
    EXPECT_LT(b.left[after], a.left[after]);
    EXPECT_LT(b.right[after], a.right[after]);
    EXPECT_EQ(b.left[after], b.right[after]);
}

TEST(SafeClip, SurvivesNonFiniteInput)
{
    CSafeClip clip;
    const std::vector<double> bad = {std::nan(""), INFINITY, -INFINITY, 1e308, 0.0};
    const Outputs out = run(clip, bad, bad);
    EXPECT_EQ(out.left.size(), bad.size());
    clip.reset();
    CSafeClip fresh;
    const std::vector<double> in = doubles(noise(100, 2.0f, 10));
    EXPECT_EQ(run(clip, in, in).left, run(fresh, in, in).left);
}

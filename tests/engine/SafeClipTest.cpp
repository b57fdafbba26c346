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
// The look-ahead adds the excess over the single-precision 0.8 to the literal 0.8, so the level
// may lie 1.2e-8 below the sample it covers and the output pass the ceiling by that fraction.
constexpr double kCeilingSlack = kCeiling * 2e-8;

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

Outputs run(CSafeClip& clip, const std::vector<double>& mono)
{
    return run(clip, mono, std::vector<double>(mono.size(), 0.0));
}

std::vector<double> doubles(const std::vector<float>& samples)
{
    return {samples.begin(), samples.end()};
}

double largestMagnitude(const Outputs& out)
{
    double largest = 0.0;
    for (size_t i = 0; i < out.left.size(); ++i)
    {
        largest = std::max({largest, std::fabs(out.left[i]), std::fabs(out.right[i])});
    }
    return largest;
}

} // namespace

TEST(SafeClip, DisabledIsAPureDelayOfFifteenSamples)
{
    CSafeClip clip;
    clip.setEnabled(false);
    clip.pullSettings();
    const std::vector<double> in = doubles(noise(1000, 4.0f));
    const Outputs out = run(clip, in, in);
    for (size_t i = 0; i < in.size(); ++i)
    {
        ASSERT_EQ(out.left[i], i < kDelay ? 0.0 : in[i - kDelay]) << i;
    }
}

TEST(SafeClip, BelowFullScaleIsTheDelayedInputTimesTheCeilingWhateverTheOtherChannelDoes)
{
    CSafeClip clip;
    const std::vector<double> loud = doubles(noise(3000, 5.0f, 3));
    std::vector<double> quiet = doubles(noise(3000, 1.0f, 4));
    quiet[900] = -1.0; // exactly full scale does not trigger
    const Outputs out = run(clip, loud, quiet);
    for (size_t i = kDelay; i < quiet.size(); ++i)
    {
        ASSERT_EQ(out.right[i], quiet[i - kDelay] * kCeiling) << i;
    }
}

TEST(SafeClip, SinglePeakIsAnticipatedByTheWeightsAndOutputBelowFullScale)
{
    // A bed of 0.5 makes the gain visible on the samples around the peak.
    constexpr int kPeakAt = 100;
    std::vector<double> in(800, 0.5);
    in[kPeakAt] = 2.0;
    CSafeClip clip;
    const Outputs out = run(clip, in);
    const CSoftKnee knee;

    EXPECT_EQ(out.left[kPeakAt + kDelay - 16], 0.5 * kCeiling);
    // From the call that takes the peak in (weight w15) to the one before it is output.
    for (int k = 15; k >= 1; --k)
    {
        const double level = 0.8 + CSafeClip::kLookAheadWeights[k] * (2.0 - kKneeStart);
        EXPECT_NEAR(out.left[kPeakAt + kDelay - k], knee.staticGain(level) * 0.5 * kCeiling, 1e-15)
            << k;
    }
    // 2.0 x 0.4925110202 x 0.99993896484375, the level measured as above (ten decimals).
    EXPECT_NEAR(out.left[kPeakAt + kDelay], 0.9849619250, 1e-10);
    // Then the gain releases toward 1.
    for (size_t i = kPeakAt + kDelay + 2; i < in.size(); ++i)
    {
        ASSERT_GE(out.left[i], out.left[i - 1]) << i;
    }
    EXPECT_NEAR(out.left.back(), 0.5 * kCeiling, 1e-12);
}

TEST(SafeClip, HoldsEveryOutputBelowTheCeiling)
{
    CSafeClip clip;
    std::vector<double> left = doubles(noise(200000, 6.0f, 5));
    const std::vector<double> right = doubles(noise(200000, 1.2f, 6));
    for (size_t i = 0; i < left.size(); i += 997)
    {
        left[i] = 1000.0; // isolated spikes far past the knee
    }
    EXPECT_LE(largestMagnitude(run(clip, left, right)), kCeiling + kCeilingSlack);

    for (double amplitude : {1.0001, 1.5, 3.0, 20.0})
    {
        for (int halfPeriod : {1, 3, 16, 17, 100})
        {
            std::vector<double> square(4000);
            for (size_t i = 0; i < square.size(); ++i)
            {
                square[i] = (i / halfPeriod) % 2 == 0 ? amplitude : -amplitude;
            }
            CSafeClip fresh;
            EXPECT_LE(largestMagnitude(run(fresh, square)), kCeiling + kCeilingSlack)
                << amplitude << " every " << halfPeriod;
        }
    }
}

TEST(SafeClip, AfterResetTheFirstFifteenOutputsAreSilentAndTheStageIsAsNew)
{
    const std::vector<double> loud = doubles(noise(500, 3.0f, 9));
    CSafeClip clip;
    run(clip, loud);
    clip.reset();
    const Outputs out = run(clip, loud);
    EXPECT_EQ(std::vector<double>(out.left.begin(), out.left.begin() + kDelay),
              std::vector<double>(kDelay, 0.0));
    CSafeClip fresh;
    EXPECT_EQ(out.left, run(fresh, loud).left);
}

TEST(SafeClip, DisablingFreezesTheLimiterWhileTheDelayGoesOn)
{
    // The same programme twice; the second time the stage is off for a while mid-release,
    // fed the same bed, and picks up where it stopped.
    constexpr int kOffAt = 130; // 15 samples after the peak has been output
    std::vector<double> in(400, 0.5);
    in[100] = 2.0;
    CSafeClip steady;
    const Outputs reference = run(steady, in);
    ASSERT_LT(reference.left[kOffAt], 0.5 * kCeiling); // still releasing there

    CSafeClip paused;
    run(paused, {in.begin(), in.begin() + kOffAt});
    paused.setEnabled(false);
    paused.pullSettings();
    EXPECT_EQ(run(paused, std::vector<double>(100, 0.5)).left, std::vector<double>(100, 0.5));
    paused.setEnabled(true);
    paused.pullSettings();
    const Outputs on = run(paused, {in.begin() + kOffAt, in.end()});
    EXPECT_EQ(on.left, std::vector<double>(reference.left.begin() + kOffAt, reference.left.end()));
}

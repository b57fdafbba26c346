// The drive search on loudness curves of known shape: how close it comes, in how many trial
// renders, and why it gives up.
#include "tools/render/DriveSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace
{
// A loudness curve that records the drives it was asked about.
struct Curve
{
    explicit Curve(std::function<double(double)> shape) : shape(std::move(shape)) {}

    std::function<double(double)> shape;
    std::vector<double> asked;

    DriveResult search(double target, SearchStart start = {})
    {
        return findDrive(
            target,
            [this](double driveDb)
            {
                asked.push_back(driveDb);
                return shape(driveDb);
            },
            start);
    }
};

// The output of a limiter chain: 1 LU per dB while quiet, bending over towards a ceiling
// loudness the way a soft limiter's output does.
double limitedLoudness(double driveDb, double inputLufs, double ceilingLufs)
{
    const double linear = inputLufs + driveDb;
    const double headroom = ceilingLufs - linear;
    return ceilingLufs - std::log1p(std::exp(headroom * 1.5)) / 1.5;
}
} // namespace

TEST(DriveSearch, ReachesTheTargetOnAStraightCurveInTwoTrials)
{
    Curve curve{[](double driveDb) { return driveDb - 23.0; }};
    const DriveResult result = curve.search(-14.0);
    EXPECT_EQ(result.outcome, DriveOutcome::reached);
    EXPECT_NEAR(result.driveDb, 9.0, 1e-9);
    EXPECT_EQ(result.trials, 2);
    EXPECT_EQ(curve.asked.size(), 2u);
}

TEST(DriveSearch, ReachesTheTargetWithinTheToleranceWhereTheLimitersBendTheCurve)
{
    for (double target : {-20.0, -14.0, -9.0, -7.0})
    {
        Curve curve{[](double driveDb) { return limitedLoudness(driveDb, -24.0, -6.0); }};
        const DriveResult result = curve.search(target);
        EXPECT_EQ(result.outcome, DriveOutcome::reached) << target;
        EXPECT_NEAR(curve.shape(result.driveDb), target, kTargetToleranceLu) << target;
        EXPECT_DOUBLE_EQ(result.loudness, curve.shape(result.driveDb));
        EXPECT_LE(result.trials, 8) << target;
        // Stepping along a parabola through the last three trials takes no more of them.
        const DriveResult curved = curve.search(target, {.curveSteps = true});
        EXPECT_EQ(curved.outcome, DriveOutcome::reached) << target;
        EXPECT_NEAR(curve.shape(curved.driveDb), target, kTargetToleranceLu) << target;
        EXPECT_LE(curved.trials, result.trials) << target;
    }
}

TEST(DriveSearch, CallsASilentRenderSilentAfterTryingTheLargestDrive)
{
    Curve curve{[](double) { return -std::numeric_limits<double>::infinity(); }};
    const DriveResult result = curve.search(-14.0);
    EXPECT_EQ(result.outcome, DriveOutcome::silent);
    EXPECT_EQ(curve.asked, (std::vector<double>{0.0, kMaxDriveDb}));
    // The render written is the one at 0 dB.
    EXPECT_EQ(result.driveDb, 0.0);
}

TEST(DriveSearch, FindsTheDriveOfAnInputTheMeterGatesOutAt0Db)
{
    // -80 LUFS reads as silence (the absolute gate is at -70) until driven.
    Curve curve{[](double driveDb)
                {
                    const double loudness = driveDb - 80.0;
                    return loudness < -70.0 ? -std::numeric_limits<double>::infinity() : loudness;
                }};
    const DriveResult tooQuiet = curve.search(-14.0);
    EXPECT_EQ(tooQuiet.outcome, DriveOutcome::tooQuiet);
    EXPECT_EQ(tooQuiet.driveDb, kMaxDriveDb);
    const DriveResult reached = curve.search(-60.0);
    EXPECT_EQ(reached.outcome, DriveOutcome::reached);
    EXPECT_NEAR(reached.driveDb, 20.0, 0.1);
}

TEST(DriveSearch, TellsALimiterThatIsSaturatedFromAnInputThatIsTooQuiet)
{
    // Saturated: more drive adds almost nothing above -8 LUFS.
    Curve saturated{[](double driveDb) { return limitedLoudness(driveDb, -12.0, -8.0); }};
    const DriveResult hard = saturated.search(-4.0);
    EXPECT_EQ(hard.outcome, DriveOutcome::saturated);
    EXPECT_EQ(hard.driveDb, kMaxDriveDb); // the loudest render, the closest to the target
    EXPECT_LE(hard.trials, 4);
    // Saturating at the largest drive within the tolerance of the target, it has reached it.
    Curve late{[](double driveDb) { return limitedLoudness(driveDb, -30.0, -8.0); }};
    const DriveResult close = late.search(-7.95);
    EXPECT_EQ(close.outcome, DriveOutcome::reached);
    EXPECT_EQ(close.driveDb, kMaxDriveDb);
    // Too quiet: still rising 1 LU per dB at the largest drive.
    Curve quiet{[](double driveDb) { return driveDb - 50.0; }};
    const DriveResult far = quiet.search(-14.0);
    EXPECT_EQ(far.outcome, DriveOutcome::tooQuiet);
    EXPECT_EQ(far.driveDb, kMaxDriveDb);
    // Too loud: it would need less than the smallest drive.
    Curve loud{[](double driveDb) { return driveDb + 40.0; }};
    EXPECT_EQ(loud.search(-14.0).outcome, DriveOutcome::tooLoud);
}

TEST(DriveSearch, EndsAsSoonAsTheTargetIsOutOfReachWhereTheStartAllows)
{
    // Saturating at -8 LUFS, asked for -4: the trials show the curve too flat to get there.
    Curve saturated{[](double driveDb) { return limitedLoudness(driveDb, -12.0, -8.0); }};
    const DriveResult early = saturated.search(-4.0, {.endOutOfReach = true});
    EXPECT_EQ(early.outcome, DriveOutcome::saturated);
    EXPECT_LE(early.trials, 3);
    EXPECT_LT(saturated.asked.back(), kMaxDriveDb);
    // A curve that reaches the target still gets there; a smaller range ends at its end.
    Curve straight{[](double driveDb) { return driveDb - 23.0; }};
    EXPECT_EQ(straight.search(-14.0, {.endOutOfReach = true}).outcome, DriveOutcome::reached);
    straight.asked.clear();
    const DriveResult capped = straight.search(-14.0, {.mostDriveDb = 6.0, .endOutOfReach = true});
    EXPECT_EQ(capped.outcome, DriveOutcome::tooQuiet);
    EXPECT_EQ(capped.driveDb, 6.0);
    EXPECT_LE(*std::max_element(straight.asked.begin(), straight.asked.end()), 6.0);
}

TEST(DriveSearch, GivesUpOnAJumpAcrossTheTargetWithTheClosestTrial)
{
    Curve curve{[](double driveDb) { return driveDb < 3.0 ? -20.0 : -10.0; }};
    const DriveResult result = curve.search(-14.0);
    EXPECT_EQ(result.outcome, DriveOutcome::unsettled);
    EXPECT_LE(result.trials, 16);
    EXPECT_EQ(result.loudness, -10.0);
}

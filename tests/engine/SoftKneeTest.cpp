#include "engine/SoftKnee.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SoftKnee, SolveFindsTheShapeOfTheOutputStage)
{
    CSoftKnee knee;
    knee.setKneeStart(0.800000011920929);
    knee.solve(3.0);
    // Bisection from [-1, 1] lands on dyadic fractions: both values are exact.
    EXPECT_EQ(knee.shape(), -0.7265625);
    EXPECT_EQ(knee.shapeSquared(), 0.07476806640625);
}

TEST(SoftKnee, NewKneeIsTheOutputStageKnee)
{
    CSoftKnee knee;
    EXPECT_EQ(knee.kneeStart(), static_cast<double>(0.8f));
    EXPECT_EQ(knee.fullScaleInput(), 3.0);
    EXPECT_EQ(knee.shape(), -0.7265625);
}

TEST(SoftKnee, StaticCurveMatchesTheCheckValues)
{
    const CSoftKnee knee;
    // The check values are given to ten decimals.
    EXPECT_EQ(knee.staticGain(0.8), 1.0);
    EXPECT_NEAR(knee.staticGain(1.0), 0.9044776214, 1e-10);
    EXPECT_NEAR(knee.staticGain(1.5), 0.6444444532, 1e-10);
    EXPECT_NEAR(knee.staticGain(2.0), 0.4925110202, 1e-10);
    EXPECT_NEAR(2.0 * knee.staticGain(2.0), 0.9850220404, 1e-10);
    EXPECT_EQ(knee.staticGain(3.0), 1.0 / 3.0);
    EXPECT_EQ(knee.staticGain(10.0), 0.1);
}

TEST(SoftKnee, OutputLevelRisesTowardFullScaleWithoutReachingIt)
{
    const CSoftKnee knee;
    double previous = 0.8;
    for (double level = 0.81; level < 3.0; level += 0.01)
    {
        const double output = knee.staticGain(level) * level;
        ASSERT_GT(output, previous) << level;
        ASSERT_LT(output, 1.0) << level;
        previous = output;
    }
}

TEST(SoftKnee, SolveEndsForKneesOutsideTheUsefulRange)
{
    for (double start : {0.01, 0.5, 0.99, 2.5, 0.0, -1.0, std::nan("")})
    {
        CSoftKnee knee;
        knee.setKneeStart(start);
        knee.solve(3.0);
        EXPECT_TRUE(std::isfinite(knee.shape())) << start;
    }
}

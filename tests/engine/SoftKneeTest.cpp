#include "engine/SoftKnee.h"

#include <gtest/gtest.h>

TEST(SoftKnee, SolveFindsTheShapeOfTheOutputStage)
{
    CSoftKnee knee;
    knee.setKneeStart(0.800000011920929);
    knee.solve(3.0);
    // Bisection from [-1, 1] lands on dyadic fractions: both values are exact.
    EXPECT_EQ(knee.shape(), -0.7265625);
    EXPECT_EQ(knee.shapeSquared(), 0.07476806640625);
}

TEST(SoftKnee, StaticCurveMatchesTheCheckValues)
{
    const CSoftKnee knee;
    // The check values are given to ten decimals.
    EXPECT_EQ(knee.staticGain(0.8), 1.0);
    EXPECT_NEAR(knee.staticGain(1.0), 0.9044776214, 1e-10);
    EXPECT_NEAR(knee.staticGain(1.5), 0.6444444532, 1e-10);
    EXPECT_NEAR(knee.staticGain(2.0), 0.4925110202, 1e-10);
    EXPECT_EQ(knee.staticGain(3.0), 1.0 / 3.0);
    EXPECT_EQ(knee.staticGain(10.0), 0.1);
}

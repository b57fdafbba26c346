#include "analysis/NaturalSpline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// Single-precision arithmetic on values near 1: a few units in the last place.
constexpr float kTolerance = 1e-5f;

CNaturalSpline fitted(std::array<float, 4> x, std::array<float, 4> y)
{
    CNaturalSpline spline;
    spline.fit(x, y);
    return spline;
}

float derivative(const CNaturalSpline& s, float x, float h)
{
    return (s.evaluate(x + h) - s.evaluate(x - h)) / (2.0f * h);
}

TEST(NaturalSpline, PassesThroughEveryKnot)
{
    const std::array<float, 4> x{0.0f, 0.7f, 1.9f, 3.0f};
    const std::array<float, 4> y{2.0f, -1.0f, 0.5f, 4.0f};
    const CNaturalSpline s = fitted(x, y);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(s.evaluate(x[k]), y[k], kTolerance) << "knot " << k;
}

TEST(NaturalSpline, MatchesTheSolvedCurveOfAPeak)
{
    // Knots 0..3 with values 0, 1, 0, 0: c1 = -0.6, c2 = 0.4 solve 4 c1 + c2 = -2 and
    // c1 + 4 c2 = 1, giving 0.575 halfway between knots 1 and 2.
    const CNaturalSpline s = fitted({0.0f, 1.0f, 2.0f, 3.0f}, {0.0f, 1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(s.evaluate(1.5f), 0.575f, kTolerance);
}

TEST(NaturalSpline, HasAContinuousSlopeAndNoCurvatureAtItsEnds)
{
    const CNaturalSpline s = fitted({1.0f, 1.5f, 2.5f, 2.75f}, {0.0f, 3.0f, -2.0f, 1.0f});
    // Central differences over 1e-3 in single precision: slopes of a few units good to 1e-2.
    for (float knot : {1.5f, 2.5f})
    {
        const float left = (s.evaluate(knot) - s.evaluate(knot - 1e-3f)) / 1e-3f;
        const float right = (s.evaluate(knot + 1e-3f) - s.evaluate(knot)) / 1e-3f;
        EXPECT_NEAR(left, right, 0.1f) << "at " << knot;
    }
    // Second differences at the end knots: zero curvature means the slope does not change.
    for (float end : {1.0f, 2.75f})
        EXPECT_NEAR(derivative(s, end + 0.01f, 0.005f), derivative(s, end - 0.01f, 0.005f), 0.02f);
}

TEST(NaturalSpline, ReproducesAStraightLineInsideAndBeyondItsKnots)
{
    const CNaturalSpline s = fitted({2.0f, 2.3f, 3.1f, 3.5f}, {1.0f, 1.6f, 3.2f, 4.0f});
    for (float x = 1.0f; x <= 4.5f; x += 0.125f)
        ASSERT_NEAR(s.evaluate(x), 2.0f * x - 3.0f, 1e-4f) << x;
}

} // namespace

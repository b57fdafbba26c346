// Anti-aliased coverage of the shapes the artwork is painted with.
#include "resources/generator/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{
constexpr float kPi = std::numbers::pi_v<float>;

// Total coverage a shape paints, as white on black, in pixel areas.
double paintedArea(const Shape& shape, int size)
{
    Canvas canvas(size, size);
    fillShape(canvas, shape, solid(rgb(255, 255, 255)));
    double area = 0;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
            area += canvas.at(x, y).r / 255.0;
    }
    return area;
}
} // namespace

TEST(Shapes, CoverACircleWithItsAreaAndPartialEdgePixels)
{
    // Coverage by the distance at each pixel centre is exact for straight edges and off by
    // far less than a pixel along the whole outline of a circle this size.
    const double area = paintedArea(circle(20, 20, 10), 40);
    EXPECT_NEAR(area, std::numbers::pi * 100, 0.5);
    Canvas canvas(40, 40);
    fillShape(canvas, circle(20, 20, 10), solid(rgb(255, 255, 255)));
    EXPECT_FLOAT_EQ(canvas.at(20, 20).r, 255);
    EXPECT_FLOAT_EQ(canvas.at(2, 2).r, 0);
    Canvas offset(40, 40);
    fillShape(offset, circle(20.5f, 20.5f, 10), solid(rgb(255, 255, 255)));
    EXPECT_FLOAT_EQ(offset.at(30, 20).r, 127.5f); // its centre lies on the outline
}

TEST(Shapes, GiveABoxEdgeOnAPixelBoundaryFullAndEmptyPixelsAndAMidPixelEdgeHalf)
{
    Canvas sharp(10, 10);
    fillShape(sharp, roundedBox({2, 2, 5, 8}, 0), solid(rgb(255, 255, 255)));
    EXPECT_FLOAT_EQ(sharp.at(4, 4).r, 255);
    EXPECT_FLOAT_EQ(sharp.at(5, 4).r, 0);
    EXPECT_FLOAT_EQ(sharp.at(1, 4).r, 0);

    Canvas half(10, 10);
    fillShape(half, roundedBox({2, 2, 5.5f, 8}, 0), solid(rgb(255, 255, 255)));
    EXPECT_NEAR(half.at(5, 4).r, 127.5f, 0.01f);
}

TEST(Shapes, SweepAnArcClockwiseFromItsStartAngle)
{
    // From lower left (225 degrees) a quarter turn clockwise ends at upper left (135).
    const Shape quarter = arc(20, 20, 10, 3, 1.25f * kPi, 0.5f * kPi);
    const auto inside = [&quarter](float angle)
    { return quarter.distance(pointX(20, angle, 10), pointY(20, angle, 10)) < 0; };
    EXPECT_TRUE(inside(kPi));         // left, in the middle of the sweep
    EXPECT_FALSE(inside(0));          // right
    EXPECT_FALSE(inside(1.5f * kPi)); // bottom, just counter-clockwise of the start
    EXPECT_FALSE(inside(0.5f * kPi)); // top, beyond the end
    // The ends are round: past the end point along the clockwise tangent, a point one pixel
    // out lies within the half width of 1.5, a point two pixels out does not.
    const float endX = pointX(20, 0.75f * kPi, 10);
    const float endY = pointY(20, 0.75f * kPi, 10);
    const float tangentX = std::sin(0.75f * kPi);
    const float tangentY = std::cos(0.75f * kPi);
    EXPECT_NEAR(quarter.distance(endX + tangentX, endY + tangentY), -0.5f, 1e-4f);
    EXPECT_NEAR(quarter.distance(endX + 2 * tangentX, endY + 2 * tangentY), 0.5f, 1e-4f);
}

TEST(Shapes, PaintARingWithTheAreaOfItsStroke)
{
    // A thin ring has two curved edges over four pixels per unit of length: its coverage
    // stays within 1 % of the true area.
    const double expected = 2 * std::numbers::pi * 10 * 2;
    EXPECT_NEAR(paintedArea(ring(20, 20, 10, 2), 40), expected, expected * 0.01);
}

TEST(Shapes, BlendColourByCoverageAndOpacity)
{
    Canvas canvas(2, 1, rgb(100, 100, 100));
    canvas.blend(0, 0, rgb(200, 0, 100), 0.25f);
    EXPECT_FLOAT_EQ(canvas.at(0, 0).r, 125);
    EXPECT_FLOAT_EQ(canvas.at(0, 0).g, 75);
    EXPECT_FLOAT_EQ(canvas.at(0, 0).b, 100);
    canvas.blend(1, 0, rgb(0, 0, 0), 3); // opacity beyond 1 counts as 1
    EXPECT_FLOAT_EQ(canvas.at(1, 0).r, 0);
    canvas.blend(5, 0, rgb(0, 0, 0), 1); // outside: ignored
}

// The drawing context's state rules and the raster device's GDI-like pixel semantics.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/FontCache.h"
#include "gui/platform/raster/RasterDevice.h"

namespace
{
constexpr CColor kRed{255, 0, 0, 255};
constexpr CColor kBlue{0, 0, 255, 255};
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRedPixel = 0xFF0000;
constexpr uint32_t kBluePixel = 0x0000FF;

RasterDevice& rasterOf(CDrawContext& context)
{
    return dynamic_cast<RasterDevice&>(*context.device());
}

// The pixels of one colour, as a list of points.
std::vector<CPoint> pixelsOf(const PixelImage& image, uint32_t pixel)
{
    std::vector<CPoint> points;
    for (int32_t y = 0; y < image.height; ++y)
    {
        for (int32_t x = 0; x < image.width; ++x)
        {
            if (image.at(x, y) == pixel)
            {
                points.push_back({x, y});
            }
        }
    }
    return points;
}
} // namespace

TEST(OffscreenContext, StartsEntirelyInItsBackgroundColour)
{
    COffscreenContext context(nullptr, 13, 7, {12, 34, 56, 255});
    const PixelImage image = context.readPixels();
    ASSERT_EQ(image.pixels.size(), 13u * 7u);
    EXPECT_EQ(pixelsOf(image, 0x0C2238).size(), image.pixels.size());
    EXPECT_EQ(context.getFillColor(), (CColor{12, 34, 56, 255}));
    EXPECT_EQ(context.getFrameColor(), (CColor{12, 34, 56, 255}));
}

TEST(OffscreenContext, WithAnAbsurdSizeDrawsNothingAndReadsBackEmpty)
{
    COffscreenContext negative(nullptr, -5, 10, kRed);
    COffscreenContext huge(nullptr, 1 << 20, 1 << 20, kRed);
    negative.fillRect({0, 0, 10, 10});
    EXPECT_EQ(negative.device(), nullptr);
    EXPECT_EQ(huge.device(), nullptr);
    EXPECT_TRUE(huge.readPixels().pixels.empty());
}

TEST(DrawContext, FillRectLeavesTheTopRowAndLeftColumn)
{
    COffscreenContext context(nullptr, 12, 12, {0, 0, 0, 255});
    context.setFillColor(kRed);
    context.fillRect({0, 0, 10, 10});
    const PixelImage image = context.readPixels();
    EXPECT_EQ(inkBounds(image, kBlack), (CRect{1, 1, 10, 10}));
    EXPECT_EQ(pixelsOf(image, kRedPixel).size(), 81u);
}

TEST(DrawContext, DrawRectOutlinesFromLeftTopToRightAndBottomMinusOne)
{
    COffscreenContext context(nullptr, 12, 12, {0, 0, 0, 255});
    context.setFrameColor(kRed);
    context.drawRect({0, 0, 10, 10});
    const PixelImage image = context.readPixels();
    EXPECT_EQ(inkBounds(image, kBlack), (CRect{0, 0, 10, 10}));
    // The ring of a 10 by 10 square, every pixel once, nothing inside.
    EXPECT_EQ(pixelsOf(image, kRedPixel).size(), 36u);
    EXPECT_EQ(image.at(5, 5), kBlack);
}

TEST(DrawContext, LinesLeaveTheirEndPointAndFollowTheOffset)
{
    COffscreenContext context(nullptr, 20, 20, {0, 0, 0, 255});
    context.setFrameColor(kRed);
    context.setOffset({5, 7});
    const CPoint segment[2] = {{0, 0}, {10, 0}};
    context.drawLines(segment, 1);
    const PixelImage image = context.readPixels();
    EXPECT_EQ(inkBounds(image, kBlack), (CRect{5, 7, 15, 8}));
    EXPECT_EQ(image.at(15, 7), kBlack);
}

TEST(DrawContext, DiagonalLinesStepOnePixelPerColumn)
{
    COffscreenContext context(nullptr, 20, 20, {0, 0, 0, 255});
    context.setFrameColor(kRed);
    context.moveTo({2, 3});
    context.lineTo({12, 8});
    const std::vector<CPoint> painted = pixelsOf(context.readPixels(), kRedPixel);
    ASSERT_EQ(painted.size(), 10u);
    for (const CPoint& p : painted)
    {
        // Within half a pixel of the ideal line y = 3 + (x - 2) / 2.
        EXPECT_LE(std::abs(2 * (p.v - 3) - (p.h - 2)), 1) << p.h << "," << p.v;
    }
}

TEST(DrawContext, NothingIsDrawnOutsideTheClip)
{
    COffscreenContext context(nullptr, 20, 20, {0, 0, 0, 255});
    context.setOffset({2, 2});
    context.setClipRect({3, 4, 8, 9});
    EXPECT_EQ(context.getClipRect(), (CRect{3, 4, 8, 9}));
    context.setFillColor(kRed);
    context.fillRect({-10, -10, 30, 30});
    context.setFrameColor(kBlue);
    context.moveTo({-5, 6});
    context.lineTo({40, 6});
    const PixelImage image = context.readPixels();
    // The clip lies at (5, 6) to (10, 11) on the device.
    EXPECT_EQ(inkBounds(image, kBlack), (CRect{5, 6, 10, 11}));
    EXPECT_EQ(image.at(5, 8), kBluePixel);

    context.resetClipRect();
    context.fillRect({-3, -3, -1, -1}); // fills device pixel (0, 0)
    EXPECT_EQ(context.readPixels().at(0, 0), kRedPixel);
}

TEST(DrawContext, LinesFarOutsideTheDeviceAreCutWithoutWalkingThem)
{
    COffscreenContext context(nullptr, 20, 20, {0, 0, 0, 255});
    context.setFrameColor(kRed);
    context.moveTo({INT32_MIN, 10});
    context.lineTo({INT32_MAX, 10});
    EXPECT_EQ(inkBounds(context.readPixels(), kBlack), (CRect{0, 10, 20, 11}));
}

TEST(DrawContext, MakesAPenOrBrushOnlyWhenTheColourChanges)
{
    COffscreenContext context(nullptr, 4, 4, {0, 0, 0, 255});
    RasterDevice& device = rasterOf(context);
    const int32_t pens = device.pensMade();
    const int32_t brushes = device.brushesMade();
    context.setFrameColor(kRed);
    context.setFrameColor(kRed);
    EXPECT_EQ(device.pensMade(), pens + 1);
    context.setFrameColor({255, 0, 0, 128}); // alpha counts as a change
    context.setLineWidth(1);
    EXPECT_EQ(device.pensMade(), pens + 2);
    context.setFillColor(kBlue);
    context.setFillColor(kBlue);
    EXPECT_EQ(device.brushesMade(), brushes + 1);
}

TEST(DrawContext, MakesAFontOnlyWhenIdSizeOrStyleChange)
{
    COffscreenContext context(nullptr, 4, 4, {0, 0, 0, 255});
    RasterDevice& device = rasterOf(context);
    const int32_t fonts = device.fontsMade();
    context.setFont(kNormalFontSmall);
    context.setFont(kNormalFontSmall);
    context.setFont(kNormalFontSmall, 12); // 12 is that font's own size
    EXPECT_EQ(device.fontsMade(), fonts + 1);
    context.setFont(kNormalFontSmall, 12, kBoldFace);
    EXPECT_EQ(device.fontsMade(), fonts + 2);
}

TEST(DrawContext, AFontIdOutsideTheTableSelectsBoldArialTwelve)
{
    COffscreenContext context(nullptr, 4, 4, {0, 0, 0, 255});
    context.setFont(kNormalFontBig);
    context.setFont(9);
    EXPECT_EQ(context.getFont(), 0);
    EXPECT_EQ(context.getFontSize(), 12);
    const SizedFont* font = rasterOf(context).currentFont();
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->bold);
    EXPECT_EQ(font->family, "Arial");
    EXPECT_EQ(font->pixelSize, 12);
}

TEST(DrawContext, CopiesBetweenContextsHonourOffsetsAndSourcePoints)
{
    COffscreenContext source(nullptr, 10, 10, {0, 0, 0, 255});
    source.setFillColor(kRed);
    source.fillRect({3, 3, 6, 6}); // pixels 4 and 5 in both directions
    COffscreenContext target(nullptr, 10, 10, {0, 0, 255, 255});
    target.setOffset({1, 1});
    source.copyTo(&target, {0, 0, 4, 4}, {3, 3});
    const PixelImage image = target.readPixels();
    EXPECT_EQ(inkBounds(image, kBluePixel), (CRect{1, 1, 5, 5}));
    EXPECT_EQ(image.at(2, 2), kRedPixel);
    EXPECT_EQ(image.at(1, 1), kBlack);

    COffscreenContext other(nullptr, 10, 10, {0, 0, 255, 255});
    source.setOffset({4, 4});
    source.copyToPoint({0, 0, 2, 2}, &other, {7, 7});
    EXPECT_EQ(inkBounds(other.readPixels(), kBluePixel), (CRect{7, 7, 9, 9}));
}

// The drawing contexts over GDI devices: the pixel rules the views were drawn against, the
// toolkit's fonts, clipping, and no GDI object left behind.
#include <gtest/gtest.h>

#include "gui/COffscreenContext.h"
#include "gui/platform/win32/GdiDevice.h"
#include "tests/windows/WindowsTestSupport.h"

namespace
{
constexpr CColor kRed{255, 0, 0, 255};
constexpr CColor kBlue{0, 0, 255, 255};
constexpr CColor kWhite{255, 255, 255, 255};
constexpr CColor kBlack{0, 0, 0, 255};

// Every pixel of the rectangle has this colour.
bool uniform(const PixelImage& image, const CRect& area, const CColor& colour)
{
    return !area.isEmpty() && countOtherThan(image, area, pixelOf(colour)) == 0;
}

HDC dcOf(CDrawContext& context)
{
    return static_cast<GdiDevice*>(context.device())->dc();
}

LOGFONTA selectedFont(CDrawContext& context)
{
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(dcOf(context), OBJ_FONT), sizeof(font), &font);
    return font;
}
} // namespace

TEST(GdiOffscreen, StartsUniformlyInItsBackgroundColour)
{
    COffscreenContext context(nullptr, 40, 30, {12, 34, 56, 255});
    const PixelImage image = context.readPixels();
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 30);
    EXPECT_TRUE(uniform(image, {0, 0, 40, 30}, {12, 34, 56, 255}));
}

TEST(GdiOffscreen, RefusesEmptyAndAbsurdSizes)
{
    EXPECT_EQ(COffscreenContext(nullptr, 0, 10, kBlack).device(), nullptr);
    EXPECT_EQ(COffscreenContext(nullptr, -5, 10, kBlack).device(), nullptr);
    EXPECT_EQ(COffscreenContext(nullptr, 1 << 20, 1 << 20, kBlack).device(), nullptr);
}

TEST(GdiDrawing, FillLeavesTheTopRowAndLeftColumnToTheOutline)
{
    COffscreenContext context(nullptr, 20, 20, kBlack);
    context.setFillColor(kRed);
    context.fillRect({0, 0, 10, 10});
    PixelImage image = context.readPixels();
    EXPECT_TRUE(uniform(image, {1, 1, 10, 10}, kRed));
    EXPECT_TRUE(uniform(image, {0, 0, 10, 1}, kBlack));
    EXPECT_TRUE(uniform(image, {0, 0, 1, 10}, kBlack));
    EXPECT_TRUE(uniform(image, {10, 0, 20, 20}, kBlack));

    context.setFrameColor(kBlue);
    context.drawRect({0, 0, 10, 10});
    image = context.readPixels();
    for (int32_t i = 0; i < 10; ++i)
    {
        EXPECT_EQ(image.at(i, 0), pixelOf(kBlue)) << i;
        EXPECT_EQ(image.at(i, 9), pixelOf(kBlue)) << i;
        EXPECT_EQ(image.at(0, i), pixelOf(kBlue)) << i;
        EXPECT_EQ(image.at(9, i), pixelOf(kBlue)) << i;
    }
    EXPECT_TRUE(uniform(image, {1, 1, 9, 9}, kRed));
    EXPECT_TRUE(uniform(image, {10, 0, 11, 11}, kBlack));
    EXPECT_TRUE(uniform(image, {0, 10, 11, 11}, kBlack));
}

TEST(GdiDrawing, LinesFollowTheOffsetAndLeaveTheirEndPoint)
{
    COffscreenContext context(nullptr, 30, 20, kBlack);
    context.setOffset({5, 7});
    context.setFrameColor(kWhite);
    const CPoint segment[2] = {{0, 0}, {10, 0}};
    context.drawLines(segment, 1);
    const PixelImage image = context.readPixels();
    EXPECT_TRUE(uniform(image, {5, 7, 15, 8}, kWhite));
    EXPECT_EQ(image.at(15, 7), pixelOf(kBlack));
    EXPECT_EQ(image.at(4, 7), pixelOf(kBlack));
    EXPECT_EQ(countOtherThan(image, {0, 0, 30, 20}, pixelOf(kBlack)), 10);
}

TEST(GdiDrawing, FillsAndCopiesStayInsideTheClip)
{
    COffscreenContext source(nullptr, 40, 40, kRed);
    COffscreenContext context(nullptr, 40, 40, kBlack);
    context.setClipRect({10, 10, 20, 20});
    context.setFillColor(kBlue);
    context.fillRect({-1, -1, 40, 40});
    PixelImage image = context.readPixels();
    EXPECT_TRUE(uniform(image, {10, 10, 20, 20}, kBlue));
    EXPECT_EQ(countOtherThan(image, {0, 0, 40, 40}, pixelOf(kBlack)), 100);

    context.setClipRect({30, 30, 35, 35});
    source.copyTo(&context, {0, 0, 40, 40});
    image = context.readPixels();
    EXPECT_TRUE(uniform(image, {30, 30, 35, 35}, kRed));
    EXPECT_EQ(countOtherThan(image, {0, 0, 40, 40}, pixelOf(kBlack)), 125);
}

TEST(GdiDrawing, CopyToPointTakesTheSourceAreaToADevicePoint)
{
    COffscreenContext source(nullptr, 20, 20, kBlack);
    source.setFillColor(kRed);
    source.fillRect({3, 3, 8, 8}); // fills 4..7
    COffscreenContext target(nullptr, 20, 20, kBlue);
    source.copyToPoint({4, 4, 8, 8}, &target, {12, 2});
    const PixelImage image = target.readPixels();
    EXPECT_TRUE(uniform(image, {12, 2, 16, 6}, kRed));
    EXPECT_EQ(countOtherThan(image, {0, 0, 20, 20}, pixelOf(kBlue)), 16);
}

TEST(GdiFonts, FollowTheToolkitTableAndReplaceUnknownIdsWithTheBoldOne)
{
    COffscreenContext context(nullptr, 10, 10, kBlack);
    context.setFont(9);
    LOGFONTA font = selectedFont(context);
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, "Arial");

    context.setFont(kNormalFontBig, 0, kItalicFace | kUnderlineFace);
    font = selectedFont(context);
    EXPECT_EQ(font.lfHeight, -18);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_TRUE(font.lfItalic);
    EXPECT_TRUE(font.lfUnderline);

    context.setFont(kSymbolFont);
    font = selectedFont(context);
    EXPECT_STREQ(font.lfFaceName, "Symbol");
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(font.lfPitchAndFamily, FF_DECORATIVE);
}

TEST(GdiText, IsCentredInItsBoxAndOpaqueTextIsBackedByTheFillColour)
{
    COffscreenContext context(nullptr, 120, 40, kBlack);
    context.setFontColor(kWhite);
    context.setFont(kNormalFont);
    const CRect box{10, 5, 110, 35};
    context.drawString("HHHH", box);
    const PixelImage image = context.readPixels();
    CRect ink{120, 40, 0, 0};
    for (int32_t y = 0; y < 40; ++y)
    {
        for (int32_t x = 0; x < 120; ++x)
        {
            if (image.at(x, y) != pixelOf(kBlack))
            {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    // Side bearings and the rounding of DrawTextA's halves move the ink by a pixel or two;
    // the vertical centre also depends on how the face splits ascent and descent.
    EXPECT_NEAR((ink.left + ink.right) / 2.0, (box.left + box.right) / 2.0, 2.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (box.top + box.bottom) / 2.0, 3.0);
    EXPECT_TRUE(uniform(image, {0, 0, 120, box.top}, kBlack));

    COffscreenContext opaque(nullptr, 120, 40, kBlack);
    opaque.setFontColor(kWhite);
    opaque.setFillColor(kBlue);
    opaque.drawString("HHHH", box, true);
    const PixelImage backed = opaque.readPixels();
    EXPECT_GT(countOtherThan(backed, box, pixelOf(kBlue)), 0);
    EXPECT_LT(countOtherThan(backed, box, pixelOf(kBlue)), box.width() * box.height());
    EXPECT_TRUE(uniform(backed, {0, 0, 120, box.top}, kBlack));
}

TEST(GdiObjects, ChangingColoursAndFontsLeavesNoObjectBehind)
{
    const DWORD before = gdiObjectCount();
    {
        COffscreenContext context(nullptr, 16, 16, kBlack);
        for (int i = 0; i < 300; ++i)
        {
            const uint8_t level = uint8_t(i);
            context.setFrameColor({level, 0, 0, 255});
            context.setFillColor({0, level, 0, 255});
            context.setFont(i % kFontCount, 0, i % 8);
            context.fillRect({0, 0, 16, 16});
            context.setClipRect({0, 0, i % 16, 16});
        }
        // Alive: the memory device, its bitmap, its clip region, and one own pen, brush
        // and font; the replaced ones are gone.
        EXPECT_LE(gdiObjectCount(), before + 6);
    }
    EXPECT_EQ(gdiObjectCount(), before);
}

// The legend text shared by both viewers: one line per '\n', each in its own box.
#include <gtest/gtest.h>

#include "GraphFixture.h"
#include "editor/CGRAP.h"
#include "gui/COffscreenContext.h"

using graphs::inkIn;

namespace
{
constexpr uint32_t kBlack = 0;

struct Surface
{
    COffscreenContext context{nullptr, 120, 80, {0, 0, 0, 255}};
    PixelImage pixels() const { return context.readPixels(); }
};
} // namespace

TEST(LegendText, PutsEachLineInABoxOfHalfTheLineHeightPerCharacter)
{
    Surface surface;
    surface.context.setFontColor({255, 255, 255, 255});
    CGRAP::drawTextLines("AB\nCDE", &surface.context, 10, 20, 12);
    EXPECT_EQ(surface.context.getFont(), kNormalFontBig);
    EXPECT_EQ(surface.context.getFontSize(), 10) << "0.8 of the line height, rounded";
    EXPECT_EQ(surface.context.getFontStyle(), kBoldFace);

    const PixelImage pixels = surface.pixels();
    // Line 0 in (11, 20, 22, 32), line 1 in (11, 32, 28, 44); the text is clipped to them.
    const CRect first = inkIn(pixels, {0, 0, 120, 32}, kBlack);
    const CRect second = inkIn(pixels, {0, 32, 120, 80}, kBlack);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_GE(first.left, 11);
    EXPECT_LE(first.right, 22);
    EXPECT_GE(first.top, 20);
    EXPECT_GE(second.left, 11);
    EXPECT_LE(second.right, 28);
    EXPECT_LE(second.bottom, 44);
    EXPECT_GT(second.right, first.right) << "the longer line has the wider box";
}

TEST(LegendText, DrawsNothingWithoutTextContextOrLineHeight)
{
    Surface surface;
    surface.context.setFontColor({255, 255, 255, 255});
    CGRAP::drawTextLines(nullptr, &surface.context, 10, 20, 12);
    CGRAP::drawTextLines("AB", nullptr, 10, 20, 12);
    CGRAP::drawTextLines("AB", &surface.context, 10, 20, 0);
    CGRAP::drawTextLines("AB", &surface.context, 10, 20, -12);
    CGRAP::drawTextLines("\n\n", &surface.context, 10, 20, 12);
    EXPECT_TRUE(inkIn(surface.pixels(), {0, 0, 120, 80}, kBlack).isEmpty());
}

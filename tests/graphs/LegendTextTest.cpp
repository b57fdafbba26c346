// The legend text both viewers share: one line per '\n', each clipped to its own box.
#include <gtest/gtest.h>

#include "GraphFixture.h"
#include "editor/CGRAP.h"
#include "gui/COffscreenContext.h"

TEST(LegendText, PutsEachLineInABoxOfHalfTheLineHeightPerCharacter)
{
    COffscreenContext context(nullptr, 120, 80, {0, 0, 0, 255});
    context.setFontColor({255, 255, 255, 255});
    CGRAP::drawTextLines(nullptr, &context, 10, 20, 12);
    CGRAP::drawTextLines("AB", nullptr, 10, 20, 12);
    CGRAP::drawTextLines("AB", &context, 10, 20, 0);
    EXPECT_TRUE(graphs::inkIn(context.readPixels(), {0, 0, 120, 80}, 0).isEmpty());

    CGRAP::drawTextLines("AB\nCDE", &context, 10, 20, 12);
    EXPECT_EQ(context.getFontSize(), 10) << "bold, 0.8 of the line height";
    EXPECT_EQ(context.getFontStyle(), kBoldFace);
    // Line 0 in (11, 20, 22, 32), line 1 in (11, 32, 28, 44).
    const PixelImage pixels = context.readPixels();
    const CRect first = graphs::inkIn(pixels, {0, 0, 120, 32}, 0);
    const CRect second = graphs::inkIn(pixels, {0, 32, 120, 80}, 0);
    EXPECT_TRUE(first.left >= 11 && first.right <= 22 && first.top >= 20) << first.right;
    EXPECT_TRUE(second.left >= 11 && second.right <= 28 && second.bottom <= 44);
    EXPECT_GT(second.right, first.right);
}

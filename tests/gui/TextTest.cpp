// Text through the raster device: every font of the table, the alignments, opaque
// backgrounds and the glyph cache. Glyph shapes are not compared, only where ink lands.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/EmbeddedFonts.h"
#include "gui/platform/raster/FontCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace
{
constexpr uint32_t kBlack = 0x000000;
constexpr CRect kBox{20, 10, 140, 40};
constexpr int32_t kTableSizes[kFontCount] = {12, 18, 14, 12, 11, 10, 9, 13};

CRect inkOf(int32_t fontId, CHoriTxtAlign alignment, const char* text = "Hg")
{
    COffscreenContext context(nullptr, 160, 50, {0, 0, 0, 255});
    context.setFont(fontId);
    context.setFontColor({255, 255, 255, 255});
    context.drawString(text, kBox, false, alignment);
    return inkBounds(context.readPixels(), kBlack);
}

// Total coverage of the text's ink, a measure of how heavy a face is.
int64_t inkWeight(int32_t fontId, int32_t style)
{
    COffscreenContext context(nullptr, 160, 50, {0, 0, 0, 255});
    context.setFont(fontId, 0, style);
    context.setFontColor({255, 255, 255, 255});
    context.drawString("Weight", kBox, false, kLeftText);
    int64_t sum = 0;
    for (const uint32_t pixel : context.readPixels().pixels)
    {
        sum += pixel & 0xFF;
    }
    return sum;
}
} // namespace

TEST(Text, EveryFontLandsInsideItsRectangleWithTheAlignment)
{
    for (int32_t id = 0; id < kFontCount; ++id)
    {
        SCOPED_TRACE(id);
        const CRect left = inkOf(id, kLeftText);
        const CRect centre = inkOf(id, kCenterText);
        const CRect right = inkOf(id, kRightText);
        for (const CRect& ink : {left, centre, right})
        {
            ASSERT_FALSE(ink.isEmpty());
            EXPECT_EQ(ink.intersected(kBox), ink);
            // Vertically centred: the ink's middle within a sixth of the size of the box's
            // middle (the cell, not the ink, is centred; ascent and descent differ).
            const int32_t middle2 = ink.top + ink.bottom;
            EXPECT_LE(std::abs(middle2 - (kBox.top + kBox.bottom)), 2 * (kTableSizes[id] / 6 + 1));
        }
        // Left text starts one pixel in, plus the glyph's own small side bearing.
        EXPECT_GE(left.left, kBox.left + 1);
        EXPECT_LE(left.left, kBox.left + 1 + kTableSizes[id] / 4);
        EXPECT_LE(right.right, kBox.right);
        EXPECT_GE(right.right, kBox.right - kTableSizes[id] / 4);
        EXPECT_LE(std::abs((centre.left + centre.right) - (kBox.left + kBox.right)), 4);
        // The same text at every alignment: the same ink width.
        EXPECT_EQ(left.width(), right.width());
    }
}

TEST(Text, EveryFaceIsBuiltIntoTheBinary)
{
    struct Case
    {
        FontDescription description;
        EmbeddedFace face;
        const char* style; // of the face FreeType reads
        bool emboldened;
        bool slanted;
    };
    const Case cases[] = {
        {{"Arial", 12, false}, EmbeddedFace::Sans, "Regular", false, false},
        {{"Arial", 12, true}, EmbeddedFace::SansBold, "Bold", false, false},
        {{"Arial", 18, true, true}, EmbeddedFace::SansBold, "Bold", false, true},
        {{"Symbol", 13, false, false, false, true}, EmbeddedFace::Symbol, "Book", false, false},
        {{"Symbol", 13, true}, EmbeddedFace::Symbol, "Book", true, false},
        {{"Helvetica", 12, false}, EmbeddedFace::Sans, "Regular", false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.description.face) + (c.description.bold ? " bold" : ""));
        const SizedFont* font = FontCache::shared().font(c.description);
        ASSERT_NE(font, nullptr);
        // FreeType reads the face from the bytes in the binary, not from a file.
        EXPECT_EQ(font->face->stream->base, embeddedFont(c.face).bytes);
        EXPECT_STREQ(font->face->family_name,
                     c.face == EmbeddedFace::Symbol ? "DejaVu Sans" : "Liberation Sans");
        EXPECT_STREQ(font->face->style_name, c.style);
        EXPECT_EQ(font->emboldened, c.emboldened);
        EXPECT_EQ(font->slanted, c.slanted);
    }
}

TEST(Text, FontsOfTheTableDifferInSizeAndWeight)
{
    const int32_t big = inkOf(kNormalFontBig, kLeftText, "H").height();
    const int32_t small = inkOf(kNormalFontVeryVerySmall, kLeftText, "H").height();
    // Capital H is about 0.72 of the em: 13 pixels at 18, 6 or 7 at 9.
    EXPECT_NEAR(big, 13, 1);
    EXPECT_NEAR(small, 6.5, 1);
    // Font 0 is the bold twin of font 3.
    EXPECT_GT(inkWeight(0, 0), inkWeight(kNormalFontSmall, 0) * 6 / 5);
    EXPECT_NEAR(double(inkWeight(0, 0)), double(inkWeight(kNormalFontSmall, kBoldFace)),
                double(inkWeight(0, 0)) * 0.01);
}

TEST(Text, OpaqueTextIsBackedByTheFillColourOverItsCell)
{
    COffscreenContext context(nullptr, 160, 50, {0, 0, 0, 255});
    context.setFillColor({0, 0, 255, 255});
    context.setFontColor({255, 255, 255, 255});
    context.drawString("88", kBox, true, kCenterText);
    const PixelImage image = context.readPixels();
    const CRect cell = inkBounds(image, kBlack);
    // The cell: the text's advance wide and the font's ascent plus descent high
    // (14 pixels for bold Arial 12), inside the box.
    EXPECT_EQ(cell.height(), 14);
    EXPECT_EQ(cell.intersected(kBox), cell);
    EXPECT_LT(cell.width(), 20);
    EXPECT_EQ(image.at(cell.left, cell.top), 0x0000FFu);
}

TEST(Text, IsClippedToItsRectangle)
{
    COffscreenContext context(nullptr, 160, 50, {0, 0, 0, 255});
    context.setFontColor({255, 255, 255, 255});
    const CRect narrow{20, 10, 30, 40};
    context.drawString("A long text", narrow, false, kLeftText);
    const CRect ink = inkBounds(context.readPixels(), kBlack);
    EXPECT_EQ(ink.intersected(narrow), ink);
    EXPECT_EQ(ink.right, narrow.right);
}

TEST(Text, NullTextDrawsNothing)
{
    COffscreenContext context(nullptr, 160, 50, {0, 0, 0, 255});
    context.drawString(nullptr, kBox);
    EXPECT_EQ(inkBounds(context.readPixels(), kBlack), CRect{});
}

TEST(Text, RedrawingLoadsNoFaceAgain)
{
    inkOf(0, kLeftText);
    inkOf(kNormalFontSmall, kLeftText);
    const int32_t faces = FontCache::shared().facesLoaded();
    for (int i = 0; i < 3; ++i)
    {
        inkOf(0, kCenterText);
        inkOf(kNormalFontSmall, kRightText);
    }
    EXPECT_EQ(FontCache::shared().facesLoaded(), faces);
}

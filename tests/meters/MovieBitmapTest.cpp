// The film-strip display of the toolkit: which frame a value shows and where it is drawn.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CMovieBitmap.h"

namespace
{
constexpr int32_t kFrames = 73;
constexpr int32_t kFrameHeight = 3;

class MovieBitmap : public ::testing::Test
{
  protected:
    MovieBitmap() : fixture(30, 20) { bitmaps.add(133, numberedStrip(8, kFrameHeight, kFrames)); }

    // The window's pixel column at x, y to y + 2 after a strip at x, y showing value.
    std::vector<uint32_t> shown(float value, CPoint at = {4, 6}, CPoint offset = {})
    {
        auto* strip = new CBitmap(133);
        movie = new CMovieBitmap(rectAt(at.h, at.v, 8, kFrameHeight), nullptr, -1, kFrames,
                                 kFrameHeight, strip, offset);
        strip->release();
        fixture.frame->addChild(movie);
        movie->setValue(value);
        fixture.frame->drawView(movie);
        const PixelImage pixels = fixture.windowPixels();
        return {pixels.at(at.h, at.v), pixels.at(at.h, at.v + 1), pixels.at(at.h, at.v + 2)};
    }
    // The frame (from 0) shown for value; the strip's frame k has pixels k + 1.
    int32_t frameShown(float value) { return int32_t(shown(value)[0]) - 1; }

    TestBitmaps bitmaps;
    HeadlessFrameFixture fixture;
    CMovieBitmap* movie = nullptr;
};
} // namespace

TEST_F(MovieBitmap, ShowsTheFrameNearestTheValue)
{
    EXPECT_EQ(frameShown(0.0f), 0);
    // Half a frame (0.5 / 72) is where the second frame begins.
    EXPECT_EQ(frameShown(0.49f / 72.0f), 0);
    EXPECT_EQ(frameShown(0.51f / 72.0f), 1);
    EXPECT_EQ(frameShown(2.0f / 3.0f), 48);
    EXPECT_EQ(frameShown(1.0f), 72);
    EXPECT_FALSE(movie->isDirty());
}

TEST_F(MovieBitmap, ValuesAboveOneShowTheLastFrameAndBecomeOneNegativeOnesTheFirst)
{
    EXPECT_EQ(frameShown(1.7f), 72);
    EXPECT_FLOAT_EQ(movie->getValue(), 1.0f);
    EXPECT_EQ(frameShown(-0.4f), 0);
    EXPECT_FLOAT_EQ(movie->getValue(), -0.4f);
}

TEST_F(MovieBitmap, StartsItsFramesAtTheOffset)
{
    // Frame 1 from two rows into the strip: its last row, then frame 2's first two.
    EXPECT_EQ(shown(1.0f / 72.0f, {14, 6}, {0, 2}), (std::vector<uint32_t>{2, 3, 3}));
}

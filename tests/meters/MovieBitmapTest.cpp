// The film-strip display of the toolkit: which frame a value shows and where it is drawn.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CMovieBitmap.h"

namespace
{
constexpr int32_t kStripId = 133;
constexpr int32_t kFrames = 73;
constexpr int32_t kFrameHeight = 3;
constexpr CRect kPlace{4, 6, 12, 9};

class MovieBitmap : public ::testing::Test
{
  protected:
    MovieBitmap() : fixture(30, 20)
    {
        bitmaps.add(kStripId, numberedStrip(kPlace.width(), kFrameHeight, kFrames));
        auto* strip = new CBitmap(kStripId);
        movie = new CMovieBitmap(kPlace, nullptr, -1, kFrames, kFrameHeight, strip);
        strip->release();
        fixture.frame->addChild(movie);
    }

    // The frame (from 0) the window shows after a draw at value.
    int32_t frameShown(float value)
    {
        movie->setValue(value);
        fixture.frame->drawView(movie);
        const PixelImage pixels = fixture.windowPixels();
        EXPECT_EQ(inkBounds(pixels, 0), kPlace);
        return int32_t(pixels.at(kPlace.left, kPlace.top)) - 1;
    }

    TestBitmaps bitmaps;
    HeadlessFrameFixture fixture;
    CMovieBitmap* movie;
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
}

TEST_F(MovieBitmap, AValueAboveOneShowsTheLastFrameAndIsBroughtDownToOne)
{
    EXPECT_EQ(frameShown(1.7f), 72);
    EXPECT_FLOAT_EQ(movie->getValue(), 1.0f);
}

TEST_F(MovieBitmap, ANegativeValueShowsTheFirstFrameAndIsKept)
{
    EXPECT_EQ(frameShown(-0.4f), 0);
    EXPECT_FLOAT_EQ(movie->getValue(), -0.4f);
}

TEST_F(MovieBitmap, StartsItsFramesAtTheOffset)
{
    auto* strip = new CBitmap(kStripId);
    auto* shifted =
        new CMovieBitmap({14, 6, 22, 9}, nullptr, -1, kFrames, kFrameHeight, strip, {0, 2});
    strip->release();
    fixture.frame->addChild(shifted);
    shifted->setValue(1.0f / 72.0f);
    fixture.frame->drawView(shifted);
    // Frame 1 from two rows into the strip: its last row, then frame 2's first two.
    const PixelImage pixels = fixture.windowPixels();
    EXPECT_EQ(pixels.at(14, 6), 2u);
    EXPECT_EQ(pixels.at(14, 7), 3u);
    EXPECT_EQ(pixels.at(14, 8), 3u);
}

TEST_F(MovieBitmap, IsCleanAfterADrawAndDirtyAfterAChange)
{
    frameShown(0.5f);
    EXPECT_FALSE(movie->isDirty());
    movie->setValue(0.6f);
    EXPECT_TRUE(movie->isDirty());
}

TEST_F(MovieBitmap, AnswersAsAMovieBitmapAndAsAControl)
{
    EXPECT_TRUE(movie->isClass("CMovieBitmap"));
    EXPECT_TRUE(movie->isClass("CControl"));
    EXPECT_FALSE(movie->isClass("CVuMeter"));
}

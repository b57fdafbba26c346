// The film-strip knob: which frame a value shows, and when it is redrawn.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CAnimKnob.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"

namespace
{
constexpr int32_t kStripId = 11028;
constexpr int32_t kFrames = 73;
constexpr int32_t kSide = 33;

class AnimKnob : public ::testing::Test
{
  protected:
    AnimKnob()
    {
        bitmaps.add(kStripId, numberedStrip(kSide, kSide, kFrames));
        strip = new CBitmap(kStripId);
        knob = new CAnimKnob({0, 0, kSide, kSide}, nullptr, 3, kFrames, kSide, strip);
        strip->release();
    }
    ~AnimKnob() override { knob->release(); }

    // The frame (from 0) the knob shows for a value.
    int32_t frameShown(float value)
    {
        knob->setValue(value);
        COffscreenContext context(nullptr, kSide, kSide, {0, 0, 0, 255});
        knob->draw(&context);
        return int32_t(context.readPixels().at(kSide / 2, kSide / 2)) - 1;
    }

    TestBitmaps bitmaps;
    CBitmap* strip;
    CAnimKnob* knob;
};
} // namespace

TEST_F(AnimKnob, ShowsTheFrameTheValueFallsInAndTheLastOneOnlyAtOne)
{
    EXPECT_EQ(frameShown(0.0f), 0);
    EXPECT_EQ(frameShown(0.5f), 36);
    EXPECT_EQ(frameShown(0.999f), 71);
    EXPECT_EQ(frameShown(1.0f), 72);
}

TEST_F(AnimKnob, ValuesOutsideTheRangeShowTheEndFrames)
{
    EXPECT_EQ(frameShown(-0.5f), 0);
    EXPECT_EQ(frameShown(7.0f), 72);
}

TEST_F(AnimKnob, AnInvertedStripRunsBackwards)
{
    knob->setInverse(true);
    EXPECT_EQ(frameShown(0.0f), 72);
    EXPECT_EQ(frameShown(1.0f), 0);
}

TEST_F(AnimKnob, IsRedrawnWhenTheFrameItShowsChangesAndOnlyThen)
{
    frameShown(0.3f);
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.3002f);
    EXPECT_FALSE(knob->isDirty()) << "the same frame needs no redraw";
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty());

    // A 0.5 dB knob of 73 frames moves about a frame per step, however little the handle
    // point of the strip's circle moves: every step that changes the frame is drawn.
    int redrawn = 0;
    for (int step = 0; step + 1 < kFrames; ++step)
    {
        const float from = float(step) / float(kFrames - 1);
        const float to = float(step + 1) / float(kFrames - 1);
        const int32_t drawnFrame = frameShown(from);
        knob->setValue(to);
        const bool frameChanged = knob->frameOffset() / kSide != drawnFrame;
        EXPECT_EQ(knob->isDirty(), frameChanged) << "step " << step;
        redrawn += frameChanged ? 1 : 0;
    }
    EXPECT_GE(redrawn, kFrames - 6) << "the float steps fall in a new frame almost every time";
}

TEST_F(AnimKnob, IgnoresNonFiniteValues)
{
    knob->setValue(0.25f);
    knob->setValue(std::numeric_limits<float>::quiet_NaN());
    knob->setValue(std::numeric_limits<float>::infinity());
    EXPECT_EQ(knob->getValue(), 0.25f);
}

TEST_F(AnimKnob, AnswersItsClassAndItsBases)
{
    for (const char* name : {"CAnimKnob", "CKnob", "CControl", "CView"})
    {
        EXPECT_TRUE(knob->isClass(name)) << name;
    }
    EXPECT_FALSE(knob->isClass("COnOffButton"));
    EXPECT_FALSE(knob->isClass(nullptr));
}

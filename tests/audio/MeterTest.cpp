// The meter values the audio path records for the editor.
#include "tests/audio/AudioFixture.h"

#include <cmath>

namespace
{
class Meters : public InProcessPlugin
{
  protected:
    MeterValues& meters() { return effect().meters(); }
    // Noise over a deep tone: every band has enough to limit.
    void renderLoud()
    {
        StereoBuffer input = noise(4096, 0.9f);
        for (int i = 0; i < 4096; ++i)
        {
            input.left[size_t(i)] += float(0.9 * std::sin(i * 0.0057));
            input.right[size_t(i)] += float(0.9 * std::sin(i * 0.0057));
        }
        render(input, 512);
    }
    static double read(std::atomic<double>& value) { return value.load(); }
};
} // namespace

TEST_F(Meters, StayUntouchedWhileTheEditorIsClosed)
{
    renderLoud();
    EXPECT_EQ(read(meters().outPeak), 0.0);
    EXPECT_EQ(read(meters().minGain), 1.0);
    for (int band = 0; band < 3; ++band)
    {
        EXPECT_EQ(read(meters().bandLevel[band]), 0.0);
        EXPECT_EQ(read(meters().bandMinGain[band]), 1.0);
    }
}

TEST_F(Meters, RecordTheLowestGainsInReductionMode)
{
    effect().editorOpened();
    renderLoud();
    double lowest = 1.0;
    for (int band = 0; band < 3; ++band)
    {
        EXPECT_LT(read(meters().bandMinGain[band]), 1.0) << band;
        EXPECT_GT(read(meters().bandLevel[band]), 0.0) << band;
        lowest = std::min(lowest, read(meters().bandMinGain[band]));
    }
    EXPECT_EQ(read(meters().minGain), lowest);
    EXPECT_EQ(read(meters().outPeak), 0.0) << "the peak is not written in reduction mode";
}

TEST_F(Meters, RecordTheOutputPeakBeforeSafeClipInPeakMode)
{
    effect().editorOpened();
    setReal(11, 0);
    setReal(25, 12);
    renderLoud();
    EXPECT_GT(read(meters().outPeak), 1.0);
    EXPECT_EQ(read(meters().minGain), 1.0) << "the lowest gain is not written in peak mode";
}

TEST_F(Meters, LeaveASwitchedOffBandOutOfTheReduction)
{
    effect().editorOpened();
    setReal(20, 10);
    renderLoud();
    EXPECT_EQ(read(meters().bandMinGain[0]), 1.0);
    EXPECT_EQ(read(meters().bandLevel[0]), 0.0);
    EXPECT_EQ(read(meters().minGain),
              std::min(read(meters().bandMinGain[1]), read(meters().bandMinGain[2])));
}

TEST_F(Meters, IncludeTheSensFactorInTheUpperBands)
{
    effect().editorOpened();
    StereoBuffer input(4096);
    for (int i = 0; i < 4096; ++i) // a loud 40 Hz tone: only the low band limits
        input.left[size_t(i)] = input.right[size_t(i)] = float(0.9 * std::sin(i * 0.0057));
    render(input, 512);
    const double midWithoutSens = read(meters().bandMinGain[1]);
    auto withSens = create();
    effectOf(*withSens).editorOpened();
    setReal(*withSens, 27, 1);
    render(*withSens, input, 512);
    EXPECT_LT(effectOf(*withSens).meters().bandMinGain[1].load(), midWithoutSens * 0.95);
}

TEST_F(Meters, ReceiveNothingInBypass)
{
    effect().editorOpened();
    setReal(13, 0);
    renderLoud();
    EXPECT_EQ(read(meters().bandLevel[1]), 0.0);
    EXPECT_EQ(read(meters().bandMinGain[1]), 1.0);
    EXPECT_EQ(read(meters().minGain), 1.0);
}

TEST_F(Meters, AreResetByTheirReader)
{
    effect().editorOpened();
    renderLoud();
    EXPECT_LT(takeMeter(meters().bandMinGain[2], 1.0), 1.0);
    EXPECT_EQ(read(meters().bandMinGain[2]), 1.0);
}

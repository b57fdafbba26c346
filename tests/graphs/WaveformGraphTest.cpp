// The waveform viewer at the editor's place: how it sets up the effect's capture, its time and
// level grids and labels, the three envelopes in their colours and order, the clip, and when
// it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "GraphFixture.h"
#include "editor/CWAVGRAP.h"

using namespace graphs;

namespace
{
constexpr CColor kFrame{104, 169, 182, 255}; // also the major time lines and the 0 dB line
constexpr CColor kMinor{74, 116, 128, 255};  // also the other level lines
constexpr CColor kSource{128, 255, 128, 255};
constexpr CColor kLimited{104, 210, 255, 255};
constexpr CColor kOutput{255, 69, 62, 255};

constexpr CRect kLegend{kPlotLeft + 5, kPlotTop + 4, kPlotLeft + 4 + 15 * 6, kPlotTop + 40};
constexpr CRect kTimeLabels{kView.left, kPlotBottom + 1, kView.right, kPlotBottom + 10};
constexpr int32_t kTimeGridRow = 100; // below the legend, clear of the level lines used here
constexpr int kSamplesPerLap = 11025; // 250 ms at 44.1 kHz

class WaveformGraph : public GraphFixture
{
  protected:
    WaveformGraph()
    {
        setReal(kParamViewerMode, 1.0);
        graph = new CWAVGRAP(kView, background_, &effect().published(), nullptr);
        frame_.frame->addChild(graph);
    }

    CWaveformCapture& capture() { return effect().waveformCapture(); }

    // Two laps of the capture, offering each trace the value for the current column.
    void capture(const std::function<float(Trace, int column)>& value)
    {
        for (int i = 0; i < 2 * kSamplesPerLap; ++i)
        {
            capture().advance();
            for (Trace trace : {Trace::source, Trace::limited, Trace::output})
                capture().offer(trace, value(trace, capture().currentColumn()));
        }
    }
    void captureSteady(float source, float limited, float output)
    {
        capture(
            [=](Trace trace, int) {
                return trace == Trace::source ? source : trace == Trace::limited ? limited : output;
            });
    }
    int inRow(const PixelImage& pixels, int32_t y, const CColor& colour)
    {
        return countInRow(pixels, y, kPlotLeft + 1, kRightLine, colour);
    }

    // The interior rows crossed by a level line, and the ink widths of their labels, each
    // right-aligned in (frame left - 28, y - 4, frame left, y + 6); the top row is the frame's.
    void expectLevelLines(const std::set<int32_t>& rows, size_t narrowestLabel)
    {
        const PixelImage pixels = drawn(graph);
        std::set<int32_t> found;
        for (int32_t y = kPlotInterior.top; y < kPlotInterior.bottom; ++y)
            if (inRow(pixels, y, kMinor) + inRow(pixels, y, kFrame) > 300)
                found.insert(y);
        std::set<int32_t> expected = rows;
        expected.erase(kPlotTop);
        EXPECT_EQ(found, expected);
        std::vector<int32_t> widths;
        for (int32_t y : rows)
            widths.push_back(inkIn(pixels, {kPlotLeft - 28, y - 4, kPlotLeft, y + 6}).width());
        EXPECT_EQ(std::min_element(widths.begin(), widths.end()) - widths.begin(),
                  std::ptrdiff_t(narrowestLabel))
            << "where the one-glyph label 0 is";
    }

    CWAVGRAP* graph;
};
} // namespace

TEST_F(WaveformGraph, StartsAnEmptyEnvelopeOverItsColumnsAndAsksTheCaptureForItsTime)
{
    captureSteady(0.5f, 0.5f, 0.5f);
    capture().setTime(4000.0f);
    auto* fresh = new CWAVGRAP(kView, background_, &effect().published(), nullptr);
    EXPECT_EQ(capture().columns(), kColumns);
    EXPECT_FLOAT_EQ(capture().time(), 250.0f);
    EXPECT_FLOAT_EQ(fresh->level(), 1.0f);
    for (int i = 0; i < kColumns; ++i)
        ASSERT_EQ(capture().value(Trace::limited, i), 0.0f) << i;
    fresh->release();

    // 200 ms at 48 kHz (the effect's rate, which the capture follows): 9600 samples per lap,
    // so 4800 reach the middle column.
    graph->setTime(200.0f);
    effect().published().setSampleRate(48000);
    for (int i = 0; i < 4800; ++i)
        capture().advance();
    EXPECT_NEAR(capture().currentColumn(), 169, 1);

    for (float time : {0.0f, -5.0f, NAN, INFINITY})
        graph->setTime(time);
    EXPECT_FLOAT_EQ(capture().time(), 200.0f);
    for (int i = 0; i < 4700; ++i)
        capture().advance();
    EXPECT_NEAR(capture().currentColumn(), 334, 1) << "still 200 ms at 48 kHz";
    graph->setLevel(5.0f);
    EXPECT_FLOAT_EQ(graph->level(), 1.0f);
    graph->setLevel(0.01f);
    graph->setLevel(NAN);
    EXPECT_FLOAT_EQ(graph->level(), 0.125f);
}

TEST_F(WaveformGraph, DrawsNothingInTheSpectrumModeOrOutsideAnOpenFrame)
{
    setReal(kParamViewerMode, 0.0);
    EXPECT_TRUE(inkIn(drawn(graph), kView, 0).isEmpty()) << "not even its background";
    setReal(kParamViewerMode, 1.0);
    frame_.frame->setOpen(false);
    EXPECT_TRUE(inkIn(drawn(graph), kView, 0).isEmpty());
    frame_.frame->setOpen(true);
    EXPECT_EQ(drawn(graph).at(kView.left, kView.top), kBackdrop);
}

TEST_F(WaveformGraph, PlacesTheLevelLinesAndLabelsByTheViewerLevel)
{
    // Rows trunc(142 - 10^(dB / 20) * 114 * level - 1), top to bottom.
    graph->setLevel(1.0f); // 0, -6, -12, -18
    expectLevelLines({27, 83, 112, 126}, 0);
    graph->setLevel(0.5f); // +6, 0, -6, -12
    expectLevelLines({27, 84, 112, 126}, 1);
    EXPECT_GT(inRow(drawn(graph), 84, kFrame), 300) << "0 dB in its own colour";
    graph->setLevel(0.125f); // +18 exactly on the plot top, +12, +6, 0
    expectLevelLines({27, 84, 112, 126}, 3);
}

TEST_F(WaveformGraph, CountsTheTimeLinesBackFromZeroOnTheFrameRightLine)
{
    graph->setTime(4000.0f);
    PixelImage pixels = drawn(graph);
    // Major lines every 500 ms, 42.25 columns apart; the eighth would be the frame's left line.
    std::vector<int32_t> major;
    for (int32_t x = kPlotLeft + 1; x < kRightLine; ++x)
        if (pixels.at(x, kTimeGridRow) == pixelOf(kFrame))
            major.push_back(x);
    EXPECT_EQ(major, (std::vector<int32_t>{109, 151, 193, 236, 278, 320, 362}));
    EXPECT_EQ(inRow(pixels, kTimeGridRow, kMinor), 79 - 7) << "every 50 ms, under the major ones";
    std::vector<CRect> labels = inkRuns(pixels, kTimeLabels);
    ASSERT_EQ(labels.size(), 8u) << "0, 500ms, 1.00s .. 3.50s";
    EXPECT_NEAR((labels.back().left + labels.back().right) / 2, kRightLine, 2);

    graph->setTime(200.0f);
    pixels = drawn(graph);
    EXPECT_EQ(inRow(pixels, kTimeGridRow, kMinor), 39 - 3) << "every 5 ms, 8.45 columns";
    // 50.0ms, 100ms, 150ms, 84.5 columns apart, and 0.
    labels = inkRuns(pixels, kTimeLabels);
    ASSERT_EQ(labels.size(), 4u);
    const int32_t centres[] = {151, 236, 320, kRightLine};
    for (size_t i = 0; i < labels.size(); ++i)
        EXPECT_NEAR((labels[i].left + labels[i].right) / 2, centres[i], 2) << i;
}

TEST_F(WaveformGraph, DrawsEachEnvelopeInItsColourAtItsLevelWithTheLimitedOneOnTop)
{
    // Rows trunc(142 - 114 * amplitude - 1); columns 68 to 403, since the last segment ends
    // on the newest column without painting it.
    captureSteady(0.4f, 0.2f, 0.7f);
    PixelImage pixels = drawn(graph);
    EXPECT_EQ(inRow(pixels, 95, kSource), kColumns - 2);
    EXPECT_EQ(inRow(pixels, 118, kLimited), kColumns - 2);
    EXPECT_GE(inRow(pixels, 61, kOutput), kColumns - 2 - 90) << "partly under the legend";
    EXPECT_TRUE(onlyInside(pixels, kSource, {kLegend, {0, 95, 754, 96}}));

    captureSteady(0.4f, 0.4f, 0.0f);
    pixels = drawn(graph);
    EXPECT_EQ(inRow(pixels, 95, kLimited), kColumns - 2);
    EXPECT_TRUE(onlyInside(pixels, kSource, {kLegend})) << "under the limited envelope";
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kLegend})) << "silence lies on the frame line";

    setReal(kParamViewerLimited, 0.0);
    EXPECT_EQ(inRow(drawn(graph), 95, kSource), kColumns - 2);
    setReal(kParamViewerSource, 0.0);
    EXPECT_TRUE(onlyInside(drawn(graph), kSource, {kLegend}));
}

TEST_F(WaveformGraph, ClipsEnvelopesAboveTheTopAtTheTopInnerRow)
{
    // Every other column absurdly far above 1 / level: the segments cross the top and stop
    // one row inside the frame.
    capture([](Trace trace, int column)
            { return trace != Trace::output ? 0.0f
                     : column % 2           ? 0.1f
                                            : 1.0e30f; });
    const PixelImage pixels = drawn(graph);
    EXPECT_GT(inRow(pixels, kPlotTop + 1, kOutput), kColumns / 3);
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kLegend, kPlotInterior}));
}

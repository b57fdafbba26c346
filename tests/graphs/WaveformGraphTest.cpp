// The waveform viewer at the editor's place: its time and level grids and labels, the three
// envelopes in their colours and order, the clip, when it draws, and how it sets up the
// effect's capture.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "GraphFixture.h"
#include "editor/CWAVGRAP.h"

using namespace graphs;

namespace
{
constexpr CColor kFrame{104, 169, 182, 255}; // also the major lines and the 0 dB line
constexpr CColor kMinor{74, 116, 128, 255};  // also the other level lines
constexpr CColor kSource{128, 255, 128, 255};
constexpr CColor kLimited{104, 210, 255, 255};
constexpr CColor kOutput{255, 69, 62, 255};

constexpr CRect kPlotInterior{kPlotLeft + 1, kPlotTop + 1, kPlotRight, kBottomLine};
constexpr CRect kLegend{kPlotLeft + 5, kPlotTop + 4, kPlotLeft + 4 + 15 * 6, kPlotTop + 40};
constexpr CRect kLevelLabelMargin{kView.left, kView.top, kPlotLeft, kPlotBottom};
constexpr CRect kTimeLabelStrip{kView.left, kPlotBottom + 1, kView.right, kPlotBottom + 10};
// Below the legend and clear of every level line at the levels used here.
constexpr int32_t kTimeGridRow = 100;
constexpr int kSamplesPerLap = 11025; // 250 ms at 44.1 kHz

class WaveformGraph : public GraphFixture
{
  protected:
    void SetUp() override
    {
        plugin_.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        setReal(kParamViewerMode, 1.0);
        graph = add(new CWAVGRAP(kView, background_, &effect(), nullptr, &capture()));
    }

    CWaveformCapture& capture() { return effect().waveformCapture(); }

    // Runs the capture over two laps, offering each trace the value for the current column.
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

    // Rows of the plot's interior crossed by a level line, in either level colour.
    static std::set<int32_t> levelLineRows(const PixelImage& pixels)
    {
        std::set<int32_t> rows;
        for (int32_t y = kPlotInterior.top; y < kPlotInterior.bottom; ++y)
            if (countInRow(pixels, y, kPlotLeft + 1, kRightLine, kMinor) +
                    countInRow(pixels, y, kPlotLeft + 1, kRightLine, kFrame) >
                300)
                rows.insert(y);
        return rows;
    }
    // The ink of each level label, top to bottom.
    static std::vector<CRect> levelLabels(const PixelImage& pixels)
    {
        std::vector<CRect> labels;
        bool inLabel = false;
        for (int32_t y = kLevelLabelMargin.top; y < kLevelLabelMargin.bottom; ++y)
        {
            const CRect row =
                inkIn(pixels, {kLevelLabelMargin.left, y, kLevelLabelMargin.right, y + 1});
            if (!row.isEmpty() && !inLabel)
                labels.push_back(row);
            else if (!row.isEmpty())
                labels.back() = {std::min(labels.back().left, row.left), labels.back().top,
                                 std::max(labels.back().right, row.right), y + 1};
            inLabel = !row.isEmpty();
        }
        return labels;
    }
    static int32_t narrowest(const std::vector<CRect>& labels)
    {
        int32_t index = 0;
        for (size_t i = 0; i < labels.size(); ++i)
            if (labels[i].width() < labels[size_t(index)].width())
                index = int32_t(i);
        return index;
    }

    CWAVGRAP* graph;
};
} // namespace

TEST_F(WaveformGraph, ConstructionStartsAnEmptyEnvelopeOverItsColumns)
{
    captureSteady(0.5f, 0.5f, 0.5f);
    capture().setTime(4000.0f);
    auto* fresh = new CWAVGRAP(kView, background_, &effect(), nullptr, &capture());
    EXPECT_EQ(capture().columns(), kColumns);
    EXPECT_FLOAT_EQ(capture().time(), 250.0f);
    EXPECT_EQ(capture().currentColumn(), 0);
    for (int i = 0; i < kColumns; ++i)
        ASSERT_EQ(capture().value(Trace::limited, i), 0.0f) << i;
    EXPECT_FLOAT_EQ(fresh->time(), 250.0f);
    EXPECT_FLOAT_EQ(fresh->level(), 1.0f);
    fresh->release();
}

TEST_F(WaveformGraph, PassesTimeAndRateToTheCaptureAndRefusesAbsurdSettings)
{
    graph->setTime(200.0f);
    graph->setSampleRate(48000);
    // 200 ms at 48 kHz is 9600 samples per lap: half of them reach the middle column
    // (169 within a float step's rounding).
    for (int i = 0; i < 4800; ++i)
        capture().advance();
    EXPECT_NEAR(capture().currentColumn(), 169, 1);

    for (float time : {0.0f, -5.0f, NAN, INFINITY})
        graph->setTime(time);
    graph->setSampleRate(0);
    EXPECT_FLOAT_EQ(graph->time(), 200.0f);
    EXPECT_FLOAT_EQ(capture().time(), 200.0f);
    for (int i = 0; i < 4700; ++i)
        capture().advance();
    EXPECT_NEAR(capture().currentColumn(), 334, 1) << "the rate stayed 48 kHz";

    graph->setLevel(5.0f);
    EXPECT_FLOAT_EQ(graph->level(), 1.0f);
    graph->setLevel(0.01f);
    EXPECT_FLOAT_EQ(graph->level(), 0.125f);
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

TEST_F(WaveformGraph, PlacesTheLevelLinesAndTheirLabelsByTheViewerLevel)
{
    // Rows trunc(142 - 10^(dB/20) * 114 * level - 1); the top one lands on the frame's top
    // line (row 27), which is not part of the interior.
    graph->setLevel(1.0f); // -18, -12, -6, 0
    PixelImage pixels = drawn(graph);
    EXPECT_EQ(levelLineRows(pixels), (std::set<int32_t>{83, 112, 126}));
    std::vector<CRect> labels = levelLabels(pixels);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(narrowest(labels), 0) << "0 at the top";
    EXPECT_GE(labels[3].right, kPlotLeft - 2) << "right-aligned";
    EXPECT_EQ(countInRow(pixels, 83, kPlotLeft + 1, kRightLine, kMinor) > 300, true);

    graph->setLevel(0.5f); // -12, -6, 0, +6
    pixels = drawn(graph);
    EXPECT_EQ(levelLineRows(pixels), (std::set<int32_t>{84, 112, 126}));
    EXPECT_GT(countInRow(pixels, 84, kPlotLeft + 1, kRightLine, kFrame), 300) << "0 dB colour";
    labels = levelLabels(pixels);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(narrowest(labels), 1) << "+6 above 0";

    graph->setLevel(0.125f); // 0, +6, +12, +18: the top line lands exactly on the plot top
    pixels = drawn(graph);
    EXPECT_EQ(levelLineRows(pixels), (std::set<int32_t>{84, 112, 126}));
    labels = levelLabels(pixels);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(narrowest(labels), 3) << "0 at the bottom";
    EXPECT_LE(labels[0].top, kPlotTop) << "+18 at the top line";
}

TEST_F(WaveformGraph, CountsTheTimeLinesBackFromZeroOnTheRight)
{
    graph->setTime(4000.0f);
    PixelImage pixels = drawn(graph);
    // Major lines every 500 ms, 42.25 columns apart from the frame's right line; the eighth
    // would be the frame's left line and is left out.
    std::vector<int32_t> major;
    for (int32_t x = kPlotLeft + 1; x < kRightLine; ++x)
        if (pixels.at(x, kTimeGridRow) == pixelOf(kFrame))
            major.push_back(x);
    EXPECT_EQ(major, (std::vector<int32_t>{109, 151, 193, 236, 278, 320, 362}));
    // Minor lines every 50 ms: 79 inside the frame, 7 of them under major lines.
    EXPECT_EQ(countInRow(pixels, kTimeGridRow, kPlotLeft + 1, kRightLine, kMinor), 72);
    // Labels 0, 500ms, 1.00s .. 3.50s centred on their lines.
    std::vector<CRect> runs = inkRuns(pixels, kTimeLabelStrip);
    ASSERT_EQ(runs.size(), 8u);
    EXPECT_NEAR((runs.back().left + runs.back().right) / 2, kRightLine, 2) << "0";

    graph->setTime(200.0f);
    pixels = drawn(graph);
    // Major lines every 50 ms, 84.5 columns apart: 50.0ms, 100ms and 150ms, then the left line.
    runs = inkRuns(pixels, kTimeLabelStrip);
    ASSERT_EQ(runs.size(), 4u);
    const int32_t centres[] = {151, 236, 320, kRightLine};
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_NEAR((runs[i].left + runs[i].right) / 2, centres[i], 2) << i;
    // Minor lines every 5 ms, 8.45 columns apart: 39 inside the frame, 3 under major lines.
    EXPECT_EQ(countInRow(pixels, kTimeGridRow, kPlotLeft + 1, kRightLine, kMinor), 39 - 3);
}

TEST_F(WaveformGraph, DrawsEachEnvelopeInItsColourAtItsLevelWithTheLimitedOneOnTop)
{
    // Rows trunc(142 - 114 * amplitude - 1) at level 1.
    captureSteady(0.4f, 0.2f, 0.7f);
    PixelImage pixels = drawn(graph);
    // Columns 68 to 403: the last segment ends at the newest column without painting it.
    EXPECT_EQ(countInRow(pixels, 95, kPlotLeft, kRightLine, kSource), kColumns - 2);
    EXPECT_EQ(countInRow(pixels, 118, kPlotLeft, kRightLine, kLimited), kColumns - 2);
    EXPECT_GE(countInRow(pixels, 61, kPlotLeft, kRightLine, kOutput), kColumns - 2 - 90)
        << "the legend's last line lies over it";
    EXPECT_TRUE(onlyInside(pixels, kSource, {kLegend, {0, 95, 754, 96}}));
    EXPECT_TRUE(onlyInside(pixels, kLimited, {kLegend, {0, 118, 754, 119}}));

    captureSteady(0.4f, 0.4f, 0.0f);
    pixels = drawn(graph);
    EXPECT_EQ(countInRow(pixels, 95, kPlotLeft, kRightLine, kLimited), kColumns - 2);
    EXPECT_TRUE(onlyInside(pixels, kSource, {kLegend})) << "under the limited envelope";
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kLegend})) << "silence sits on the frame line";

    setReal(kParamViewerLimited, 0.0);
    pixels = drawn(graph);
    EXPECT_EQ(countInRow(pixels, 95, kPlotLeft, kRightLine, kSource), kColumns - 2);
    setReal(kParamViewerSource, 0.0);
    EXPECT_TRUE(onlyInside(drawn(graph), kSource, {kLegend}));
}

TEST_F(WaveformGraph, ClipsEnvelopesAboveTheTopAtTheTopInnerRow)
{
    // Every other column far above 1 / level, even absurdly far: the segments between them
    // cross the top, and stop one row inside the frame.
    capture([](Trace trace, int column)
            { return trace != Trace::output ? 0.0f
                     : column % 2           ? 0.1f
                                            : 1.0e30f; });
    const PixelImage pixels = drawn(graph);
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, kPlotLeft, kRightLine, kOutput), kColumns / 3);
    EXPECT_EQ(countInRow(pixels, kPlotTop, kView.left, kView.right, kOutput), 0);
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kLegend, kPlotInterior}));
}

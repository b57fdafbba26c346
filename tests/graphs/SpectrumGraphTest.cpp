// The spectrum viewer at the editor's place and ranges (-65 .. -17 dB in 12 dB steps, 20 Hz
// to half the rate): where its grid, labels, legend and curves land, and when it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "GraphFixture.h"
#include "analysis/SpectrumAnalyzer.h"
#include "editor/CFRGRAP.h"

using namespace graphs;

namespace
{
constexpr CColor kGrid{104, 160, 182, 255};
constexpr CColor kSource{128, 255, 128, 255};
constexpr CColor kOutput{255, 69, 62, 255};

// Rows of the 12 dB grid lines below the top, the lowest on the frame's bottom line.
const std::set<int32_t> kLevelRows{kPlotTop + 29, kPlotTop + 57, kPlotTop + 86, kPlotTop + 114};
// A row between two level lines, below the legend.
constexpr int32_t kBetweenLevelRows = 100;
// The legend lines of the two curves.
constexpr CRect kSourceLegend{kPlotLeft + 5, kPlotTop + 16, kPlotLeft + 4 + 8 * 6, kPlotTop + 28};
constexpr CRect kOutputLegend{kPlotLeft + 5, kPlotTop + 28, kPlotLeft + 4 + 14 * 6, kPlotTop + 40};
// Inside the frame's left, top and bottom lines, up to and including its right line.
constexpr CRect kPlotInterior{kPlotLeft + 1, kPlotTop + 1, kPlotRight, kBottomLine};
// Where the frequency labels go, under the long grid lines' ends.
constexpr CRect kFrequencyLabelStrip{kView.left, kPlotBottom + 2, kView.right, kPlotBottom + 12};

class SpectrumGraph : public GraphFixture
{
  protected:
    void SetUp() override
    {
        plugin_.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        setReal(kParamViewerMode, 0.0);
        graph = add(new CFRGRAP(kView, background_, &effect(), &effect().inputAnalyzer(), nullptr));
        graph->setLevelRange(-65.0f, -17.0f, 12.0f);
        graph->setFrequencyRange(20.0f, 22050.0f, 4.0f);
        graph->resetCurves();
    }

    // Columns of the plot's interior holding a vertical grid line.
    std::vector<int32_t> gridColumns(const PixelImage& pixels)
    {
        std::vector<int32_t> columns;
        for (int32_t x = kPlotLeft + 1; x < kRightLine; ++x)
            if (pixels.at(x, kBetweenLevelRows) == pixelOf(kGrid))
                columns.push_back(x);
        return columns;
    }

    // Feeds a full-scale sine of the frequency to the analyser and reduces it into the curve.
    void showSine(CSpectrumAnalyzer& analyzer, SpectrumCurve curve, double hertz)
    {
        std::vector<float> sine(8192);
        for (size_t i = 0; i < sine.size(); ++i)
            sine[i] = float(std::sin(2.0 * M_PI * hertz * double(i) / 44100.0));
        analyzer.feed(sine.data(), sine.data(), int(sine.size()));
        ASSERT_TRUE(graph->updateCurve(analyzer, curve));
    }

    CFRGRAP* graph;
};
} // namespace

TEST_F(SpectrumGraph, DrawsNothingInTheWaveformModeOrOutsideAnOpenFrame)
{
    setReal(kParamViewerMode, 1.0);
    EXPECT_TRUE(inkIn(drawn(graph), kView, 0).isEmpty()) << "not even its background";

    setReal(kParamViewerMode, 0.0);
    frame_.frame->setOpen(false);
    EXPECT_TRUE(inkIn(drawn(graph), kView, 0).isEmpty());

    frame_.frame->setOpen(true);
    EXPECT_EQ(drawn(graph).at(kView.left, kView.top), kBackdrop);
    EXPECT_FALSE(graph->isDirty()) << "a drawn viewer waits for the next tick";
}

TEST_F(SpectrumGraph, LaysTheLevelLinesEvery12DbBelowTheTopDownToTheFrameBottom)
{
    const PixelImage pixels = drawn(graph);
    // Between the 10 kHz and 20 kHz lines no frequency line crosses the column.
    constexpr int32_t kFreeColumn = 390;
    std::set<int32_t> rows;
    for (int32_t y = kView.top; y <= kPlotBottom + 1; ++y)
        if (pixels.at(kFreeColumn, y) == pixelOf(kGrid))
            rows.insert(y);
    std::set<int32_t> expected = kLevelRows;
    expected.insert(kPlotTop);
    EXPECT_EQ(rows, expected);
    // Each line runs from the frame's left line through its right line.
    for (int32_t y : kLevelRows)
        EXPECT_EQ(countInRow(pixels, y, kPlotLeft, kRightLine + 1, kGrid), kColumns + 1) << y;
}

TEST_F(SpectrumGraph, LabelsTheLevelsRelativeToTheTopAtTheRightOfTheirBoxes)
{
    const PixelImage pixels = drawn(graph);
    const CRect margin{kView.left, kView.top, kPlotLeft, kPlotBottom + 2};
    std::vector<CRect> boxes;
    for (int32_t y : {kPlotTop, kPlotTop + 29, kPlotTop + 57, kPlotTop + 86, kPlotTop + 114})
        boxes.push_back({kPlotLeft - 28, y - 5, kPlotLeft, y + 5});
    for (const CRect& box : boxes)
    {
        const CRect ink = inkIn(pixels, box);
        ASSERT_FALSE(ink.isEmpty()) << box.top;
        EXPECT_GE(ink.right, kPlotLeft - 3) << "right-aligned";
    }
    // "0" at the top is one glyph; "-12" .. "-48" are three.
    EXPECT_LT(inkIn(pixels, boxes[0]).width() * 2, inkIn(pixels, boxes[1]).width());
    for (int32_t y = margin.top; y < margin.bottom; ++y)
    {
        bool inBox = false;
        for (const CRect& box : boxes)
            inBox = inBox || (y >= box.top && y < box.bottom);
        if (!inBox)
        {
            EXPECT_TRUE(inkIn(pixels, {margin.left, y, margin.right, y + 1}).isEmpty()) << y;
        }
    }
}

TEST_F(SpectrumGraph, DrawsAFrequencyLinePerGridRowUpToHalfTheRate)
{
    PixelImage pixels = drawn(graph);
    std::vector<int32_t> columns = gridColumns(pixels);
    // 28 lines from 20 Hz to 20 kHz; the 20 Hz line is the frame's left line.
    EXPECT_EQ(columns.size(), 27u);
    for (int32_t x : {kPlotLeft + 78, kPlotLeft + 189, kPlotLeft + 300, kPlotLeft + 333})
        EXPECT_NE(std::find(columns.begin(), columns.end(), x), columns.end()) << x;
    // 50, 100, 500 Hz, 1, 5 and 10 kHz reach 2 pixels beyond the frame at both ends.
    EXPECT_EQ(countInRow(pixels, kPlotTop - 2, kView.left, kView.right, kGrid), 6);
    EXPECT_EQ(countInRow(pixels, kPlotBottom + 1, kView.left, kView.right, kGrid), 6);
    EXPECT_EQ(pixels.at(kPlotLeft + 78, kPlotTop - 2), pixelOf(kGrid));
    EXPECT_EQ(pixels.at(kPlotLeft + 333, kPlotTop - 2), kBackdrop);

    graph->sampleRateChanged(32000);
    pixels = drawn(graph);
    columns = gridColumns(pixels);
    EXPECT_EQ(columns.size(), 26u) << "the last line is 10 kHz";
    EXPECT_LT(columns.back(), kRightLine - 20);
}

TEST_F(SpectrumGraph, LabelsTheFrequenciesItsRangeReaches)
{
    // The axis column of a frequency, and the box of its label: 12 pixels left of its line,
    // except the first at 20 Hz, which starts at its line.
    const auto column = [](double hertz, double rate) {
        return int32_t((std::log(hertz / 20.0)) * kColumns / std::log(rate / 40.0) + kPlotLeft +
                       0.5);
    };
    const auto box = [&](double hertz, double rate)
    {
        const int32_t anchor = hertz == 20.0 ? kPlotLeft : column(hertz, rate) - 12;
        return CRect{anchor + 1, kFrequencyLabelStrip.top, anchor + 32,
                     kFrequencyLabelStrip.bottom};
    };
    const std::vector<double> labelled{20, 50, 100, 500, 1000, 5000, 10000, 20000, 40000};
    for (const double rate : {44100.0, 32000.0, 96000.0})
    {
        graph->sampleRateChanged(int(rate));
        const PixelImage pixels = drawn(graph);
        // Each label shows beyond the box of the one before; nothing follows the last.
        int32_t previousEnd = kPlotLeft;
        for (const double hertz : labelled)
        {
            if (hertz > rate / 2)
                break;
            const CRect label = box(hertz, rate);
            EXPECT_FALSE(inkIn(pixels, {std::max(label.left, previousEnd), label.top, label.right,
                                        label.bottom})
                             .isEmpty())
                << hertz << " Hz at " << rate;
            previousEnd = label.right;
        }
        EXPECT_TRUE(inkIn(pixels, {previousEnd, kFrequencyLabelStrip.top, kView.right,
                                   kFrequencyLabelStrip.bottom})
                        .isEmpty())
            << rate;
    }
}

TEST_F(SpectrumGraph, DrawsEachCurveInItsColourOnlyWhileItsSwitchIsOnAndInsideTheFrame)
{
    showSine(effect().inputAnalyzer(), SpectrumCurve::source, 1000.0);
    showSine(effect().outputAnalyzer(), SpectrumCurve::output, 5000.0);
    const std::vector<CRect> sourceArea{kSourceLegend, kPlotInterior};
    const std::vector<CRect> outputArea{kOutputLegend, kPlotInterior};

    PixelImage pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kSource, sourceArea));
    EXPECT_TRUE(onlyInside(pixels, kOutput, outputArea));
    // A full-scale sine peaks far above -17 dB: the curve is cut at the top inner row, and
    // the frame's line above it keeps its colour.
    const int32_t thousand = kPlotLeft + 189;
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, thousand - 4, thousand + 5, kSource), 0);
    EXPECT_EQ(countInRow(pixels, kPlotTop, thousand - 4, thousand + 5, kSource), 0);
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, kPlotLeft + 265, kPlotLeft + 275, kOutput), 0);

    setReal(kParamViewerSource, 0.0);
    pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kSource, {kSourceLegend}));
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, kPlotLeft + 265, kPlotLeft + 275, kOutput), 0);
    setReal(kParamViewerOutput, 0.0);
    pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kOutputLegend}));
    // The legend still names both curves.
    EXPECT_FALSE(inkIn(pixels, kSourceLegend).isEmpty());
    EXPECT_FALSE(inkIn(pixels, kOutputLegend).isEmpty());

    setReal(kParamViewerSource, 1.0);
    graph->resetCurves();
    EXPECT_TRUE(onlyInside(drawn(graph), kSource, {kSourceLegend})) << "reset below the plot";
}

TEST_F(SpectrumGraph, IgnoresALevelRangeWithoutAFinitePositiveStep)
{
    const PixelImage before = drawn(graph);
    graph->setLevelRange(-65.0f, -17.0f, 0.0f);
    graph->setLevelRange(-65.0f, -17.0f, -12.0f);
    graph->setLevelRange(NAN, -17.0f, 12.0f);
    graph->setLevelRange(-65.0f, INFINITY, 12.0f);
    graph->setLevelRange(-65.0f, -17.0f, NAN);
    EXPECT_EQ(drawn(graph).pixels, before.pixels);

    // A step far below a row draws at most one line per row, and soon.
    graph->setLevelRange(-65.0f, -17.0f, 1.0e-30f);
    drawn(graph);
    // A frequency range that is not finite has no grid and no bands.
    graph->setFrequencyRange(NAN, 22050.0f, 4.0f);
    EXPECT_TRUE(gridColumns(drawn(graph)).empty());
}

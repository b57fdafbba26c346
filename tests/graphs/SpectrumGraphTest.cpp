// The spectrum viewer at the editor's place and ranges (-65 .. -17 dB in 12 dB steps, 20 Hz
// to half the rate): where its grid, labels and curves land, and when it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "GraphFixture.h"
#include "analysis/SpectrumAnalyzer.h"
#include "editor/CFRGRAP.h"

using namespace graphs;

namespace
{
constexpr CColor kGrid{104, 160, 182, 255};
constexpr CColor kSource{128, 255, 128, 255};
constexpr CColor kOutput{255, 69, 62, 255};

constexpr CRect kSourceLegend{kPlotLeft + 5, kPlotTop + 16, kPlotLeft + 4 + 8 * 6, kPlotTop + 28};
constexpr CRect kOutputLegend{kPlotLeft + 5, kPlotTop + 28, kPlotLeft + 4 + 14 * 6, kPlotTop + 40};
constexpr int32_t kBetweenLevelLines = 100;
constexpr int32_t kLabelTop = kPlotBottom + 2;
constexpr int32_t kLabelBottom = kPlotBottom + 12;

class SpectrumGraph : public GraphFixture
{
  protected:
    SpectrumGraph()
    {
        setReal(kParamViewerMode, 0.0);
        graph = new CFRGRAP(kView, background_, &effect().published(), &effect().inputAnalyzer(),
                            nullptr);
        frame_.frame->addChild(graph);
        graph->setLevelRange(-65.0f, -17.0f, 12.0f);
        graph->setFrequencyRange(20.0f, 22050.0f, 4.0f);
        graph->resetCurves();
    }

    // Interior columns crossed by a frequency line.
    static std::vector<int32_t> gridColumns(const PixelImage& pixels)
    {
        std::vector<int32_t> columns;
        for (int32_t x = kPlotLeft + 1; x < kRightLine; ++x)
            if (pixels.at(x, kBetweenLevelLines) == pixelOf(kGrid))
                columns.push_back(x);
        return columns;
    }

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
}

TEST_F(SpectrumGraph, LaysLevelLinesEvery12DbDownToTheFrameBottomLabelledFromZero)
{
    const PixelImage pixels = drawn(graph);
    // Between the 10 kHz and 20 kHz lines no frequency line crosses this column.
    std::set<int32_t> rows;
    for (int32_t y = kView.top; y < kLabelTop; ++y)
        if (pixels.at(390, y) == pixelOf(kGrid))
            rows.insert(y);
    const std::set<int32_t> expected{kPlotTop, kPlotTop + 29, kPlotTop + 57, kPlotTop + 86,
                                     kPlotTop + 114};
    EXPECT_EQ(rows, expected);
    // Labels right-aligned in (frame left - 28, y - 5, frame left, y + 5): "0" at the top is
    // one glyph, "-12" .. "-48" three.
    std::vector<CRect> labels;
    for (int32_t y : expected)
        labels.push_back(inkIn(pixels, {kPlotLeft - 28, y - 5, kPlotLeft, y + 5}));
    for (const CRect& label : labels)
        EXPECT_GE(label.right, kPlotLeft - 3) << label.top;
    EXPECT_LT(labels[0].width() * 2, labels[1].width());
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

    graph->sampleRateChanged(32000);
    columns = gridColumns(drawn(graph));
    EXPECT_EQ(columns.size(), 26u) << "up to 10 kHz";
}

TEST_F(SpectrumGraph, LabelsTheFrequenciesItsRangeReaches)
{
    // A label's box starts 11 pixels left of its line (the first, at 20 Hz, one pixel right).
    const auto box = [](double hertz, double rate)
    {
        const int32_t line =
            int32_t(std::log(hertz / 20.0) * kColumns / std::log(rate / 40.0) + kPlotLeft + 0.5);
        const int32_t anchor = hertz == 20.0 ? line : line - 12;
        return CRect{anchor + 1, kLabelTop, anchor + 32, kLabelBottom};
    };
    for (const double rate : {44100.0, 32000.0, 96000.0})
    {
        graph->sampleRateChanged(int(rate));
        const PixelImage pixels = drawn(graph);
        // Nothing left of the first label (the lowest level label reaches 2 rows into the
        // strip), each label beyond the box of the one before, nothing after the last.
        EXPECT_TRUE(
            inkIn(pixels, {kView.left, kLabelTop + 2, kPlotLeft + 1, kLabelBottom}).isEmpty());
        int32_t previousEnd = kPlotLeft;
        for (const double hertz : {20, 50, 100, 500, 1000, 5000, 10000, 20000, 40000})
        {
            if (hertz > rate / 2)
                break;
            const CRect label = box(hertz, rate);
            EXPECT_FALSE(inkIn(pixels, {std::max(label.left, previousEnd), kLabelTop, label.right,
                                        kLabelBottom})
                             .isEmpty())
                << hertz << " Hz at " << rate;
            previousEnd = label.right;
        }
        EXPECT_TRUE(inkIn(pixels, {previousEnd, kLabelTop, kView.right, kLabelBottom}).isEmpty())
            << rate;
    }
}

TEST_F(SpectrumGraph, DrawsEachCurveOnlyWhileItsSwitchIsOnAndOnlyInsideTheFrame)
{
    showSine(effect().inputAnalyzer(), SpectrumCurve::source, 1000.0);
    showSine(effect().outputAnalyzer(), SpectrumCurve::output, 5000.0);
    PixelImage pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kSource, {kSourceLegend, kPlotInterior}));
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kOutputLegend, kPlotInterior}));
    // A full-scale sine peaks far above -17 dB: the curve is cut at the top inner row.
    const int32_t thousand = kPlotLeft + 189;
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, thousand - 4, thousand + 5, kSource), 0);
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, kPlotLeft + 265, kPlotLeft + 275, kOutput), 0);

    setReal(kParamViewerSource, 0.0);
    pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kSource, {kSourceLegend}));
    EXPECT_GT(countInRow(pixels, kPlotTop + 1, kPlotLeft + 265, kPlotLeft + 275, kOutput), 0);
    setReal(kParamViewerOutput, 0.0);
    pixels = drawn(graph);
    EXPECT_TRUE(onlyInside(pixels, kOutput, {kOutputLegend}));
    EXPECT_FALSE(inkIn(pixels, kSourceLegend).isEmpty()) << "the legend still names both";
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
    EXPECT_EQ(drawn(graph).pixels, before.pixels);
    // A step far below a row gives at most a line per row, and ends.
    graph->setLevelRange(-65.0f, -17.0f, 1.0e-30f);
    drawn(graph);
    graph->setFrequencyRange(NAN, 22050.0f, 4.0f);
    EXPECT_TRUE(gridColumns(drawn(graph)).empty());
}

#include "analysis/SpectrumReducer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// The editor's plot: 338 columns from 20 Hz to half the rate, 114 rows from -17 to -65 dB.
constexpr SpectrumPlot kPlot{67, 27, 338, 114, -65.0f, -17.0f};

int splineBands(const CSpectrumReducer& reducer)
{
    const auto bands = reducer.bands();
    return static_cast<int>(std::count_if(bands.begin(), bands.end(),
                                          [](const auto& band) { return band.splineStart != 0; }));
}

TEST(SpectrumBandLayout, HasTheBandsCapacityAndFirstBinOfEachRate)
{
    struct Layout
    {
        int rate;
        size_t bands;
        int capacity;
        int firstBin;
    };
    for (const Layout& expected :
         {Layout{44100, 243, 306, 1}, Layout{48000, 246, 309, 1}, Layout{96000, 270, 333, 0}})
    {
        const CSpectrumReducer reducer(kPlot, expected.rate);
        EXPECT_EQ(reducer.bands().size(), expected.bands) << expected.rate << " Hz";
        EXPECT_EQ(reducer.capacity(), expected.capacity) << expected.rate << " Hz";
        EXPECT_EQ(reducer.firstBin(), expected.firstBin) << expected.rate << " Hz";
    }
}

TEST(SpectrumBandLayout, InterpolatesOnlyLowBandsThatHoldNoBin)
{
    const CSpectrumReducer reducer(kPlot, 44100);
    const auto bands = reducer.bands();
    EXPECT_EQ(splineBands(reducer), 68);
    float lastSplineCentre = 0.0f;
    int previousEnd = reducer.firstBin();
    for (const auto& band : bands)
    {
        const bool holdsABin = band.endBin > previousEnd;
        EXPECT_EQ(band.splineStart == 0, holdsABin) << band.frequency << " Hz";
        if (band.splineStart != 0)
        {
            lastSplineCentre = band.centre;
            // The centre lies between the first and the third of the four knots.
            EXPECT_LE(band.splineStart, band.centreBin);
            EXPECT_LT(band.centreBin, band.splineStart + 2);
        }
        previousEnd = band.endBin;
    }
    EXPECT_NEAR(lastSplineCentre, 306.0f, 5.0f);
    for (const auto& band : bands)
    {
        if (band.centre > 310.0f)
        {
            ASSERT_EQ(band.splineStart, 0) << band.centre << " Hz takes its bins' maximum";
        }
    }
}

TEST(SpectrumBandLayout, IncludesTheHighEndWhenItFallsOnABandFrequency)
{
    CSpectrumReducer reducer(kPlot, 44100);
    const float sixth = reducer.bands()[5].frequency;
    reducer.setFrequencyRange(20.0f, sixth, 4.0f);
    EXPECT_EQ(reducer.bands().size(), 6u);
    reducer.setFrequencyRange(20.0f, std::nextafter(sixth, 0.0f), 4.0f);
    EXPECT_EQ(reducer.bands().size(), 5u);
}

TEST(SpectrumBandLayout, MapsFrequenciesToColumnsOnALogarithmicAxis)
{
    const CSpectrumReducer reducer(kPlot, 44100);
    const int left = kPlot.left;
    EXPECT_EQ(reducer.column(20.0f), left);
    EXPECT_EQ(reducer.column(22050.0f), left + 338);
    EXPECT_EQ(reducer.column(100.0f), left + 78);
    EXPECT_EQ(reducer.column(1000.0f), left + 189);
    EXPECT_EQ(reducer.column(10000.0f), left + 300);
    EXPECT_EQ(reducer.column(20000.0f), left + 333);
    const auto bands = reducer.bands();
    for (size_t i = 1; i < bands.size(); ++i)
        ASSERT_LE(bands[i - 1].column, bands[i].column);
    EXPECT_LT(bands[0].column, left + 1) << "band 0's centre lies left of 20 Hz";
}

TEST(SpectrumBandLayout, MapsLevelsToRowsAt2Point375RowsPerDb)
{
    CSpectrumReducer reducer(kPlot, 44100);
    const int top = kPlot.top;
    EXPECT_EQ(reducer.row(-17.0f), top);
    EXPECT_EQ(reducer.row(-29.0f), top + 29);
    EXPECT_EQ(reducer.row(-41.0f), top + 57);
    EXPECT_EQ(reducer.row(-53.0f), top + 86);
    EXPECT_EQ(reducer.row(-65.0f), top + 114);
    reducer.setLevelRange(-20.0f, -20.0f);
    EXPECT_EQ(reducer.row(-50.0f), top) << "an empty level range maps to the top";
}

TEST(SpectrumBandLayout, HoldsNoBandForRangesThatCannotBeDrawn)
{
    for (int rate : {0, -44100, 30})
    {
        const CSpectrumReducer reducer(kPlot, rate);
        EXPECT_TRUE(reducer.bands().empty()) << rate << " Hz";
        EXPECT_GE(reducer.capacity(), 0);
    }
    CSpectrumReducer reducer(kPlot, 44100);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float low : {0.0f, -20.0f, nan, std::numeric_limits<float>::infinity()})
    {
        reducer.setFrequencyRange(low, 22050.0f, 4.0f);
        EXPECT_TRUE(reducer.bands().empty()) << low;
    }
    reducer.setFrequencyRange(20.0f, 22050.0f, nan);
    EXPECT_TRUE(reducer.bands().empty());
    reducer.setFrequencyRange(20.0f, 20.0f, 4.0f);
    EXPECT_EQ(reducer.bands().size(), 1u) << "one band, and so no segment";
    EXPECT_TRUE(reducer.segments(SpectrumCurve::source).empty());
}

TEST(SpectrumBandLayout, KeepsEveryBandWithinTheAnalysersBinsAtAnyRate)
{
    for (int rate : {40, 1000, 8000, 44100, 192000, 1000000})
    {
        const CSpectrumReducer reducer(kPlot, rate);
        for (const auto& band : reducer.bands())
        {
            ASSERT_LE(band.splineStart + 4, CSpectrumAnalyzer::kBins) << rate;
            ASSERT_GE(band.splineStart, 0);
        }
        EXPECT_LE(static_cast<int>(reducer.bands().size()), reducer.capacity()) << rate;
    }
}

} // namespace

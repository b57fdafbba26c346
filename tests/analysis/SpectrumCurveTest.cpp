#include "analysis/SpectrumReducer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

constexpr SpectrumPlot kPlot{67, 27, 338, 114, -65.0f, -17.0f};
constexpr int kN = CSpectrumAnalyzer::kFrameSize;
constexpr double kTwoPi = 6.283185307179586;
constexpr float kSilenceDb = -379.29779f;

void feedMono(CSpectrumAnalyzer& analyzer, const std::vector<float>& x)
{
    analyzer.feed(x.data(), x.data(), static_cast<int>(x.size()));
}

// Loud enough to keep every band of a flat spectrum above the plot's bottom after the tilt
// (-22.7 dB at 20 Hz), so that each band rises to its level at once.
constexpr float kImpulse = 32.0f;

struct Impulse
{
    int position;
    float amplitude = kImpulse;
};

// Two frames of silence around impulses: the transform at the end of the second frame sees
// the impulses at the given frame positions.
std::vector<float> impulses(std::initializer_list<Impulse> list)
{
    std::vector<float> x(2 * kN, 0.0f);
    for (const Impulse& impulse : list)
        x[kN + impulse.position] = impulse.amplitude;
    return x;
}

// A flat spectrum: |X| = kImpulse in every bin.
double flatLevel()
{
    return 10.0 * std::log10(kImpulse * kImpulse * CSpectrumAnalyzer::powerScale());
}

struct Fixture
{
    CSpectrumAnalyzer analyzer{44100};
    CSpectrumReducer reducer{kPlot, 44100};

    Fixture()
    {
        reducer.updateCurve(analyzer, SpectrumCurve::source); // takes the construction flag
    }

    std::vector<float> reduce(const std::vector<float>& x)
    {
        feedMono(analyzer, x);
        EXPECT_TRUE(reducer.updateCurve(analyzer, SpectrumCurve::source));
        const auto levels = reducer.levels(SpectrumCurve::source);
        return {levels.begin(), levels.end()};
    }
};

TEST(SpectrumCurve, ChangesNothingWithoutNewData)
{
    Fixture f;
    f.reduce(impulses({{kN / 2}}));
    const auto before = f.reduce(impulses({{kN / 2}}));
    EXPECT_FALSE(f.reducer.updateCurve(f.analyzer, SpectrumCurve::source));
    const auto after = f.reducer.levels(SpectrumCurve::source);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
}

TEST(SpectrumCurve, ReadsAFullScaleSineCentredOnABinAtMinus4Point7DbPlusTheTilt)
{
    Fixture f;
    std::vector<float> x(2 * kN);
    for (int i = 0; i < 2 * kN; ++i)
        x[i] = static_cast<float>(std::sin(kTwoPi * 100 * i / kN));
    const auto levels = f.reduce(x);
    const auto bands = f.reducer.bands();
    int previousEnd = f.reducer.firstBin();
    int found = 0;
    for (size_t i = 0; i < bands.size(); ++i)
    {
        if (bands[i].splineStart == 0 && previousEnd <= 100 && 100 < bands[i].endBin)
        {
            ++found;
            // Rises at once from the reset level; the tilt is +4 dB per octave above 1 kHz.
            const double tilt = 4.0 * std::log2(bands[i].centre / 1000.0);
            EXPECT_NEAR(levels[i], -4.6977 + tilt, 0.001);
            EXPECT_GT(bands[i].tilt, 0.0f);
        }
        if (bands[i].splineStart == 0)
            previousEnd = bands[i].endBin;
    }
    EXPECT_EQ(found, 1) << "exactly one band holds bin 100";
}

TEST(SpectrumCurve, ReadsAFlatSpectrumFlatInSplineAndMaximumBandsBeforeTheTilt)
{
    // An impulse where the window is 1 has the same |X| in every bin.
    Fixture f;
    const auto levels = f.reduce(impulses({{kN / 2}}));
    const double flat = flatLevel();
    const auto bands = f.reducer.bands();
    for (size_t i = 0; i < bands.size(); ++i)
        ASSERT_NEAR(levels[i] - bands[i].tilt, flat, 0.001) << bands[i].centre << " Hz";
}

TEST(SpectrumCurve, InterpolatesBandsWithoutBinsAlongTheTrueSpectrum)
{
    // Two impulses 300 samples apart, the second 0.3 times the first: |X(k)|^2 = a^2 + b^2 +
    // 2ab cos(2 pi 300 k / N), a ripple of +-2.3 dB every 13.7 bins that the spline must follow
    // between the bins. Over log frequency through bins one apart the spline stays within
    // 0.03 dB of it; straight lines between the bins miss by up to 0.12 dB.
    constexpr int kGap = 300;
    Fixture f;
    const auto levels = f.reduce(impulses({{kN / 2}, {kN / 2 + kGap, 0.3f * kImpulse}}));
    const double a = kImpulse;
    const double b = 0.3 * kImpulse * (0.5 - 0.5 * std::cos(kTwoPi * (kN / 2 + kGap) / kN));
    const double scale = CSpectrumAnalyzer::powerScale();
    const auto bands = f.reducer.bands();
    int checked = 0;
    for (size_t i = 0; i < bands.size(); ++i)
    {
        if (bands[i].splineStart == 0)
            continue;
        const double k = bands[i].centreBin;
        const double power = a * a + b * b + 2 * a * b * std::cos(kTwoPi * kGap * k / kN);
        EXPECT_NEAR(levels[i] - bands[i].tilt, 10.0 * std::log10(power * scale), 0.05)
            << bands[i].centre << " Hz";
        ++checked;
    }
    EXPECT_EQ(checked, 68);
}

TEST(SpectrumCurve, SitsBelowThePlotInSilence)
{
    Fixture f;
    for (int tick = 0; tick < 3; ++tick)
    {
        const auto levels = f.reduce(std::vector<float>(kN / 2, 0.0f));
        const auto bands = f.reducer.bands();
        for (size_t i = 0; i < bands.size(); ++i)
        {
            // Clamped to 1 dB below the plot before each tick, then 15 % of the way down.
            const float expected = (kSilenceDb + bands[i].tilt) * 0.14999998f + (-66.0f) * 0.85f;
            ASSERT_NEAR(levels[i], expected, 1e-3) << "tick " << tick << ", band " << i;
        }
        for (const auto& point : f.reducer.segments(SpectrumCurve::source))
            ASSERT_GT(point.y, kPlot.top + kPlot.height);
    }
}

TEST(SpectrumCurve, FallsByFifteenPercentOfTheGapPerTickAfterClear)
{
    Fixture f;
    const auto loud = f.reduce(impulses({{kN / 2}}));
    f.analyzer.clear();
    ASSERT_TRUE(f.reducer.updateCurve(f.analyzer, SpectrumCurve::source));
    const auto fallen = f.reducer.levels(SpectrumCurve::source);
    const auto bands = f.reducer.bands();
    for (size_t i = 0; i < bands.size(); ++i)
        ASSERT_NEAR(fallen[i], (kSilenceDb + bands[i].tilt) * 0.15f + loud[i] * 0.85f, 1e-3);
}

TEST(SpectrumCurve, DrawsSegmentsFromEachBandToTheNextStartingAtThePlotsLeftEdge)
{
    Fixture f;
    const auto levels = f.reduce(impulses({{kN / 2}, {kN / 2 + 40}}));
    const auto segments = f.reducer.segments(SpectrumCurve::source);
    const auto bands = f.reducer.bands();
    ASSERT_EQ(segments.size(), 2 * (bands.size() - 1));
    EXPECT_EQ(segments[0].x, kPlot.left);
    EXPECT_EQ(segments[0].y, f.reducer.row(levels[1])) << "at the height of band 1";
    for (size_t k = 1; k < bands.size(); ++k)
    {
        const auto& end = segments[2 * k - 1];
        ASSERT_EQ(end.x, bands[k].column);
        ASSERT_EQ(end.y, f.reducer.row(levels[k]));
        if (2 * k < segments.size())
        {
            ASSERT_EQ(segments[2 * k].x, end.x) << "each segment starts where the last ended";
            ASSERT_EQ(segments[2 * k].y, end.y);
        }
    }
}

TEST(SpectrumCurve, ResetDropsBothCurvesBelowThePlot)
{
    Fixture f;
    f.reduce(impulses({{kN / 2}}));
    f.reducer.resetCurves();
    for (SpectrumCurve curve : {SpectrumCurve::source, SpectrumCurve::output})
    {
        for (float level : f.reducer.levels(curve))
            ASSERT_FLOAT_EQ(level, -66.0f);
        for (const auto& point : f.reducer.segments(curve))
            ASSERT_TRUE(point.x == 0 && point.y == 0);
    }
}

TEST(SpectrumCurve, RebuildsTheBandsForANewSampleRate)
{
    Fixture f;
    f.reducer.sampleRateChanged(96000);
    EXPECT_EQ(f.reducer.bands().size(), 270u);
    EXPECT_EQ(f.reducer.column(48000.0f), kPlot.left + kPlot.width);
    EXPECT_FLOAT_EQ(f.reducer.levels(SpectrumCurve::source)[0], -66.0f) << "curves start reset";
}

TEST(SpectrumCurve, StaysWithinPixelRangeForOverloadedInput)
{
    Fixture f;
    const auto levels = f.reduce(std::vector<float>(2 * kN, 1.0e30f));
    for (float level : levels)
        ASSERT_TRUE(std::isfinite(level));
    for (const auto& point : f.reducer.segments(SpectrumCurve::source))
        ASSERT_GT(point.y, -1000000);
}

} // namespace

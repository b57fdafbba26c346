#include "analysis/SpectrumAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

constexpr int kN = CSpectrumAnalyzer::kFrameSize;
constexpr int kBins = CSpectrumAnalyzer::kBins;
constexpr double kTwoPi = 6.283185307179586;

using Power = std::array<float, kBins>;

std::vector<float> sine(int samples, double cyclesPerFrame, float amplitude)
{
    std::vector<float> x(samples);
    for (int i = 0; i < samples; ++i)
        x[i] = amplitude * static_cast<float>(std::sin(kTwoPi * cyclesPerFrame * i / kN));
    return x;
}

int feedMono(CSpectrumAnalyzer& analyzer, const std::vector<float>& x)
{
    return analyzer.feed(x.data(), x.data(), static_cast<int>(x.size()));
}

Power take(CSpectrumAnalyzer& analyzer)
{
    Power power{};
    EXPECT_TRUE(analyzer.takePeakPower(power));
    return power;
}

double decibels(float power)
{
    return 10.0 * std::log10(power);
}

TEST(SpectrumAnalyzer, ScalesPowerByTheFixedCalibration)
{
    // 1 / (4096^2.0371 * 0.1354) in single precision.
    EXPECT_FLOAT_EQ(CSpectrumAnalyzer::powerScale(), 3.2332747e-07f);
}

TEST(SpectrumAnalyzer, ReadsAFullScaleSineCentredOnABinAtAboutMinus4Point7Db)
{
    CSpectrumAnalyzer analyzer(44100);
    const std::vector<float> x = sine(3 * kN, 100, 1.0f);
    analyzer.feed(x.data(), x.data(), 2 * kN);
    take(analyzer); // the first frames still held the zeros of the empty history
    analyzer.feed(x.data() + 2 * kN, x.data() + 2 * kN, kN / 2);
    const Power power = take(analyzer);
    // Hann gain 1/2: |X| = 4096 / 4 = 1024, and 1024^2 * 3.2332747e-7 is -4.6977 dB. The
    // transform's single-precision rounding moves that by far less than 0.001 dB.
    EXPECT_NEAR(decibels(power[100]), -4.6977, 0.001);
    EXPECT_NEAR(decibels(power[99]), -4.6977 - 6.0206, 0.001) << "Hann leakage into a neighbour";
    EXPECT_LT(power[110], power[100] * 1e-6f);
}

TEST(SpectrumAnalyzer, MixesTheTwoChannelsToMono)
{
    CSpectrumAnalyzer analyzer(44100);
    take(analyzer);
    const std::vector<float> left = sine(kN, 100, 1.0f);
    const std::vector<float> silent(kN, 0.0f);
    analyzer.feed(left.data(), silent.data(), kN);
    // Half the amplitude: a quarter of the power, 6.02 dB down.
    EXPECT_NEAR(decibels(take(analyzer)[100]), -4.6977 - 6.0206, 0.001);
}

TEST(SpectrumAnalyzer, RunsOneTransformPerHalfFrame)
{
    CSpectrumAnalyzer analyzer(44100);
    EXPECT_EQ(feedMono(analyzer, std::vector<float>(kN / 2 - 1, 0.1f)), 0);
    EXPECT_EQ(feedMono(analyzer, std::vector<float>(1, 0.1f)), 1);
    EXPECT_EQ(feedMono(analyzer, std::vector<float>(kN / 2, 0.1f)), 1);
    EXPECT_EQ(feedMono(analyzer, std::vector<float>(2 * kN, 0.1f)), 4);
}

TEST(SpectrumAnalyzer, RunsItsFirstTransformAfterClearOnHalfAFrameOfZeros)
{
    CSpectrumAnalyzer analyzer(44100);
    feedMono(analyzer, std::vector<float>(2 * kN + 100, 1.0f));
    analyzer.clear();
    const Power cleared = take(analyzer);
    EXPECT_TRUE(std::all_of(cleared.begin(), cleared.end(), [](float p) { return p == 0.0f; }));

    EXPECT_EQ(feedMono(analyzer, std::vector<float>(kN / 2 - 1, 1.0f)), 0);
    EXPECT_EQ(feedMono(analyzer, std::vector<float>(1, 1.0f)), 1);
    // Only the window's second half sees the constant: its sum is 4096/4 + 1/2, against 2048
    // for the whole window.
    const float scale = CSpectrumAnalyzer::powerScale();
    EXPECT_NEAR(take(analyzer)[0] / scale, 1024.5 * 1024.5, 1024.5 * 1024.5 * 1e-5);
    feedMono(analyzer, std::vector<float>(kN / 2, 1.0f));
    EXPECT_NEAR(take(analyzer)[0] / scale, 2048.0 * 2048.0, 2048.0 * 2048.0 * 1e-5);
}

TEST(SpectrumAnalyzer, HoldsTheLargestPowerPerBinUntilTaken)
{
    CSpectrumAnalyzer analyzer(44100);
    take(analyzer);
    feedMono(analyzer, sine(kN, 100, 1.0f));
    feedMono(analyzer, sine(2 * kN, 100, 0.25f));
    EXPECT_NEAR(decibels(take(analyzer)[100]), -4.6977, 0.001) << "the loud frames' power";
    feedMono(analyzer, sine(kN / 2, 100, 0.25f));
    EXPECT_NEAR(decibels(take(analyzer)[100]), -4.6977 - 12.0412, 0.001) << "after taking";
}

TEST(SpectrumAnalyzer, ReportsNewDataOncePerTransformOrClear)
{
    CSpectrumAnalyzer analyzer(44100);
    Power power{};
    EXPECT_TRUE(analyzer.takePeakPower(power)) << "set at construction";
    EXPECT_FALSE(analyzer.takePeakPower(power));
    feedMono(analyzer, std::vector<float>(kN / 2 - 1, 0.5f));
    EXPECT_FALSE(analyzer.takePeakPower(power)) << "no transform yet";
    feedMono(analyzer, std::vector<float>(1, 0.5f));
    EXPECT_TRUE(analyzer.takePeakPower(power));
    analyzer.clear();
    EXPECT_TRUE(analyzer.takePeakPower(power));
    EXPECT_FALSE(analyzer.takePeakPower(power));
}

TEST(SpectrumAnalyzer, CountsNonFiniteSamplesAsSilence)
{
    CSpectrumAnalyzer analyzer(44100);
    take(analyzer);
    std::vector<float> bad(kN, std::numeric_limits<float>::quiet_NaN());
    bad[7] = std::numeric_limits<float>::infinity();
    bad[9] = -std::numeric_limits<float>::infinity();
    const std::vector<float> silent(kN, 0.0f);
    EXPECT_EQ(analyzer.feed(bad.data(), silent.data(), kN), 2);
    const Power power = take(analyzer);
    EXPECT_TRUE(std::all_of(power.begin(), power.end(), [](float p) { return p == 0.0f; }));
}

TEST(SpectrumAnalyzer, IgnoresMissingBuffersAndEmptyBlocks)
{
    CSpectrumAnalyzer analyzer(44100);
    const std::vector<float> x(kN, 0.5f);
    EXPECT_EQ(analyzer.feed(nullptr, x.data(), kN), 0);
    EXPECT_EQ(analyzer.feed(x.data(), nullptr, kN), 0);
    EXPECT_EQ(analyzer.feed(x.data(), x.data(), 0), 0);
    EXPECT_EQ(analyzer.feed(x.data(), x.data(), -5), 0);
    EXPECT_EQ(analyzer.feed(x.data(), x.data(), kN / 2), 1) << "nothing was counted before";
}

} // namespace

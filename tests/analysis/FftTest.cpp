#include "analysis/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <random>
#include <vector>

namespace
{

constexpr double kTwoPi = 6.283185307179586;

// Single-precision results: every output carries the rounding of its float stores and the
// inputs' own rounding, a few times 2^-24 of the largest bin. 1e-6 leaves a margin of about
// ten over what the transform reaches, while any wrong twiddle or order gives errors near 1.
constexpr double kRelativeTolerance = 1e-6;

std::vector<std::complex<double>> directTransform(const std::vector<float>& data)
{
    const int points = static_cast<int>(data.size()) / 2;
    std::vector<std::complex<double>> roots(points);
    for (int k = 0; k < points; ++k)
        roots[k] = std::polar(1.0, kTwoPi * k / points);
    std::vector<std::complex<double>> out(points);
    for (int k = 0; k < points; ++k)
    {
        std::complex<double> sum = 0.0;
        for (int j = 0; j < points; ++j)
            sum += std::complex<double>(data[2 * j], data[2 * j + 1]) *
                   roots[static_cast<long>(j) * k % points];
        out[k] = sum;
    }
    return out;
}

std::complex<double> bin(const std::vector<float>& data, int k)
{
    return {data[2 * k], data[2 * k + 1]};
}

TEST(Fft, MatchesADirectTransformAtEveryPowerOfTwoFrom4To8192Floats)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    double worst = 0.0;
    for (int n = kFftMinFloats; n <= kFftMaxFloats; n *= 2)
    {
        std::vector<float> data(n);
        for (float& x : data)
            x = uniform(random);
        const auto expected = directTransform(data);
        ASSERT_TRUE(fftForward(data.data(), n));
        double largestBin = 0.0;
        double largestError = 0.0;
        for (int k = 0; k < n / 2; ++k)
        {
            largestBin = std::max(largestBin, std::abs(expected[k]));
            largestError = std::max(largestError, std::abs(bin(data, k) - expected[k]));
        }
        const double relative = largestError / largestBin;
        worst = std::max(worst, relative);
        EXPECT_LT(relative, kRelativeTolerance) << n << " floats";
    }
    std::printf("largest error relative to the largest bin: %.3g\n", worst);
}

TEST(Fft, KeepsAllZeroDataAtZero)
{
    std::vector<float> data(kFftMaxFloats, 0.0f);
    ASSERT_TRUE(fftForward(data.data(), kFftMaxFloats));
    EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](float x) { return x == 0.0f; }));
}

TEST(Fft, PutsAConstantEntirelyIntoBinZero)
{
    const float c = 0.375f;
    const int points = kFftMaxFloats / 2;
    std::vector<float> data(kFftMaxFloats);
    for (int j = 0; j < points; ++j)
    {
        data[2 * j] = c;
        data[2 * j + 1] = 0.0f;
    }
    ASSERT_TRUE(fftForward(data.data(), kFftMaxFloats));
    EXPECT_NEAR(data[0], points * c, points * c * kRelativeTolerance);
    EXPECT_NEAR(data[1], 0.0, points * c * kRelativeTolerance);
    for (int k = 1; k < points; ++k)
        ASSERT_LT(std::abs(bin(data, k)), points * c * kRelativeTolerance) << "bin " << k;
}

TEST(Fft, TurnsAnImpulseAtPointOneIntoPositiveExponentRoots)
{
    for (int n = kFftMinFloats; n <= kFftMaxFloats; n *= 2)
    {
        const int points = n / 2;
        std::vector<float> data(n, 0.0f);
        data[2] = 1.0f;
        ASSERT_TRUE(fftForward(data.data(), n));
        if (points > 2)
        {
            EXPECT_GT(data[3], 0.0f) << n << " floats: X[1] has a positive imaginary part";
        }
        for (int k = 0; k < points; ++k)
        {
            const std::complex<double> expected = std::polar(1.0, kTwoPi * k / points);
            ASSERT_LT(std::abs(bin(data, k) - expected), kRelativeTolerance)
                << n << " floats, bin " << k;
        }
    }
}

TEST(Fft, GivesACosineAtAnExactBinHalfTheFrameLengthInAmplitude)
{
    const int points = 4096;
    for (int m : {100, 3996})
    {
        std::vector<float> data(2 * points, 0.0f);
        for (int j = 0; j < points; ++j)
            data[2 * j] = static_cast<float>(std::cos(kTwoPi * m * j / points));
        ASSERT_TRUE(fftForward(data.data(), 2 * points));
        // |X[m]|^2 = 2048^2; a relative error e in |X| shows as 2e in the square.
        EXPECT_NEAR(std::norm(bin(data, m)) / (2048.0 * 2048.0), 1.0, 2 * kRelativeTolerance)
            << "bin " << m;
        EXPECT_NEAR(std::norm(bin(data, points - m)) / (2048.0 * 2048.0), 1.0,
                    2 * kRelativeTolerance)
            << "mirror of bin " << m;
        EXPECT_LT(std::abs(bin(data, m + 1)), 2048.0 * kRelativeTolerance);
    }
}

TEST(Fft, RefusesANullArrayAndSizesOutsideThePowersOfTwoFrom4To8192)
{
    EXPECT_FALSE(fftForward(nullptr, 8192));
    std::vector<float> data(2 * kFftMaxFloats, 1.0f);
    for (int n : {-8, 0, 2, 3, 6, 12, 100, 8190, 16384})
        EXPECT_FALSE(fftForward(data.data(), n)) << n;
    EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](float x) { return x == 1.0f; }));
}

} // namespace

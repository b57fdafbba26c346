// The processing residual: what a slowly varying broadband gain after a static filter does
// not explain of an output, against the output.
#include "analysis/ProcessingResidual.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace
{
constexpr int kRate = 44100;
constexpr int kFrames = 2 * kRate;

struct Signal
{
    std::vector<float> left = std::vector<float>(kFrames);
    std::vector<float> right = std::vector<float>(kFrames);
    StereoView view() const { return {left.data(), right.data()}; }
};

Signal whiteNoise(unsigned seed)
{
    Signal signal;
    std::mt19937 generator(seed);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    for (auto* channel : {&signal.left, &signal.right})
        for (float& sample : *channel)
            sample = noise(generator);
    return signal;
}

// Noise through a sharp resonance at 700 Hz: almost nothing above a few kHz, like a voice's
// formant, which leaves the filter fit's equations nearly singular.
Signal resonantNoise()
{
    Signal signal = whiteNoise(3);
    const double r = 0.999;
    const double c = 2.0 * r * std::cos(2.0 * std::numbers::pi * 700.0 / kRate);
    for (auto* channel : {&signal.left, &signal.right})
    {
        double y1 = 0.0, y2 = 0.0;
        for (float& sample : *channel)
        {
            const double y = 0.002 * sample + c * y1 - r * r * y2;
            y2 = y1;
            y1 = y;
            sample = float(y);
        }
    }
    return signal;
}

// A fixed EQ and delay (a three-tap filter five frames late), then a gain that rides from
// block to block as slowly as a mastering gain does.
Signal equalizedAndRidden(const Signal& input)
{
    Signal output;
    const double taps[] = {0.6, 1.0, -0.3};
    for (int channel = 0; channel < 2; ++channel)
    {
        const std::vector<float>& x = channel ? input.right : input.left;
        std::vector<float>& y = channel ? output.right : output.left;
        for (int n = 0; n < kFrames; ++n)
        {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k)
                sum += n - 5 - k >= 0 ? taps[k] * x[size_t(n - 5 - k)] : 0.0;
            const double blockGain = 0.5 + 0.1 * std::sin(double(n / 2205) / 3.0);
            y[size_t(n)] = float(blockGain * sum);
        }
    }
    return output;
}
} // namespace

TEST(ProcessingResidual, ExplainsAGainExactlyAndAFixedFilterDelayAndBlockGainAlmost)
{
    for (const Signal& input : {whiteNoise(1), resonantNoise()})
    {
        // A plain gain leaves the output's float rounding, near -150 dB.
        Signal scaled = input;
        for (auto* channel : {&scaled.left, &scaled.right})
            for (float& sample : *channel)
                sample *= 0.3f;
        EXPECT_LT(processingResidualDb(input.view(), scaled.view(), kFrames, kRate), -130.0);
        // The fit of filter and gains in turn converges slowest where the input has almost
        // nothing at high frequencies; it still leaves 50 dB less than any limiter does.
        const Signal output = equalizedAndRidden(input);
        EXPECT_LT(processingResidualDb(input.view(), output.view(), kFrames, kRate), -75.0);
    }
}

TEST(ProcessingResidual, MeasuresWhatTheGainCannotExplain)
{
    const Signal input = whiteNoise(1);
    // Independent noise 30 dB under the output's energy stays unexplained.
    Signal noisy = whiteNoise(2);
    for (int n = 0; n < kFrames; ++n)
    {
        noisy.left[size_t(n)] = input.left[size_t(n)] + 0.0316f * noisy.left[size_t(n)];
        noisy.right[size_t(n)] = input.right[size_t(n)] + 0.0316f * noisy.right[size_t(n)];
    }
    EXPECT_NEAR(processingResidualDb(input.view(), noisy.view(), kFrames, kRate), -30.0, 0.3);

    // A gain of 1 + 0.1 sin(20 Hz) goes through a whole period in each 50 ms block: the
    // blocks' gains are 1 and the modulation's energy, 0.005 of 1.005, remains (-23.0 dB).
    Signal modulated = input;
    for (int n = 0; n < kFrames; ++n)
    {
        const float gain = float(1.0 + 0.1 * std::sin(2.0 * std::numbers::pi * 20.0 * n / kRate));
        modulated.left[size_t(n)] *= gain;
        modulated.right[size_t(n)] *= gain;
    }
    EXPECT_NEAR(processingResidualDb(input.view(), modulated.view(), kFrames, kRate), -23.0, 0.3);
}

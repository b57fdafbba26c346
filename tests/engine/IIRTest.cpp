#include "engine/IIR.h"

#include "tests/engine/SignalHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr int kRate = 44100;

std::vector<float> run(CIIR& filter, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    filter.process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

double gainOf(CIIR& filter, double frequency, int rate = kRate)
{
    filter.clear();
    return gainAt([&filter](const float* in, float* out, int n) { filter.process(in, out, n); },
                  frequency, rate);
}

// A loud burst followed by a long silence, long enough for a low-pass tail to decay past the
// smallest normal float.
std::vector<float> burstThenSilence()
{
    std::vector<float> signal = noise(2000, 1.0f);
    signal.resize(60000, 0.0f);
    return signal;
}

} // namespace

TEST(IIR, NewFilterPassesTheSignalThrough)
{
    CIIR filter;
    const std::vector<float> in = noise(20000, 1.0f);
    const std::vector<float> out = run(filter, in);
    // The neutral peaking design cancels its terms only up to double rounding, which shows
    // as at most a unit or two in the last place of a float near full scale.
    for (size_t i = 0; i < in.size(); ++i)
    {
        ASSERT_NEAR(out[i], in[i], 2.5e-7) << "sample " << i;
    }
}

TEST(IIR, EachDesignHasItsCookbookResponse)
{
    // Fitted steady-state gains carry float rounding of the signal (about 1e-7) and the
    // residue of a half-second settle: 1e-4 covers both.
    constexpr double kTolerance = 1e-4;
    const double sixDb = std::pow(10.0, 6.0 / 20.0);
    CIIR filter;

    filter.lowPass(1000.0, 0.7071);
    EXPECT_NEAR(gainOf(filter, 0.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(filter, 1000.0), std::sqrt(0.5), kTolerance);
    EXPECT_NEAR(gainOf(filter, kRate / 2.0), 0.0, kTolerance);

    filter.highPass(1000.0, 0.7071);
    EXPECT_NEAR(gainOf(filter, 0.0), 0.0, kTolerance);
    EXPECT_NEAR(gainOf(filter, 1000.0), std::sqrt(0.5), kTolerance);
    EXPECT_NEAR(gainOf(filter, kRate / 2.0), 1.0, kTolerance);

    filter.bandPass(2000.0, 2.0);
    EXPECT_NEAR(gainOf(filter, 2000.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(filter, 0.0), 0.0, kTolerance);

    filter.bandPassPeakGainQ(2000.0, 2.0);
    EXPECT_NEAR(gainOf(filter, 2000.0), 2.0, 2.0 * kTolerance);

    filter.peaking(3000.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(filter, 3000.0), sixDb, kTolerance);
    EXPECT_NEAR(gainOf(filter, 0.0), 1.0, kTolerance);

    filter.notch(3000.0, 1.0);
    EXPECT_NEAR(gainOf(filter, 3000.0), 0.0, kTolerance);
    EXPECT_NEAR(gainOf(filter, 0.0), 1.0, kTolerance);

    filter.lowShelf(500.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(filter, 0.0), sixDb, kTolerance);
    EXPECT_NEAR(gainOf(filter, kRate / 2.0), 1.0, kTolerance);

    filter.highShelf(5000.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(filter, 0.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(filter, kRate / 2.0), sixDb, kTolerance);
}

TEST(IIR, DesignClearsTheHistoryAndTheDesignOperationsKeepIt)
{
    const std::vector<float> loud = noise(500, 1.0f);
    const std::vector<float> silence(50, 0.0f);

    CIIR kept;
    kept.lowPass(2000.0, 0.7);
    run(kept, loud);
    kept.lowPass(3000.0, 0.7);
    const std::vector<float> ringing = run(kept, silence);
    EXPECT_NE(ringing.front(), 0.0f);

    CIIR cleared;
    cleared.lowPass(2000.0, 0.7);
    run(cleared, loud);
    cleared.design(3000.0, 0.7, 0.0, FilterType::LowPass);
    EXPECT_EQ(run(cleared, silence), silence);
}

TEST(IIR, SampleRateChangeRedesignsTheStoredDesignAndClearsTheHistory)
{
    const std::vector<float> in = noise(4000, 1.0f);

    CIIR changed;
    changed.highShelf(3000.0, 0.8, -4.0);
    run(changed, in);
    changed.setSampleRate(22050.0);

    CIIR fresh;
    fresh.setSampleRate(22050.0);
    fresh.highShelf(3000.0, 0.8, -4.0);

    EXPECT_EQ(run(changed, in), run(fresh, in));
}

TEST(IIR, GuardsReplaceQValuesThatWouldBreakTheDesign)
{
    const std::vector<float> in = noise(2000, 1.0f);
    const auto lowPassOutput = [&in](double q)
    {
        CIIR filter;
        filter.lowPass(1000.0, q);
        return run(filter, in);
    };
    EXPECT_EQ(lowPassOutput(0.0), lowPassOutput(0.00001));
    EXPECT_EQ(lowPassOutput(-3.0), lowPassOutput(0.00001));

    const auto notchOutput = [&in](double q)
    {
        CIIR filter;
        filter.notch(1000.0, q);
        return run(filter, in);
    };
    EXPECT_EQ(notchOutput(0.0), notchOutput(0.0001));
    // A negative notch Q is taken as it is.
    EXPECT_NE(notchOutput(-0.5), notchOutput(0.0001));

    // (A^2 + 1)/S - (A - 1)^2 is negative here; the guarded shelf still filters stably.
    CIIR shelf;
    shelf.lowShelf(1000.0, 10.0, 12.0);
    for (float y : run(shelf, in))
    {
        ASSERT_TRUE(std::isfinite(y));
        ASSERT_LT(std::fabs(y), 10.0f);
    }
}

TEST(IIR, DesignWithoutFiniteCoefficientsPassesTheSignalUnchanged)
{
    const std::vector<float> in = noise(1000, 1.0f);
    CIIR filter;
    filter.lowShelf(1000.0, 0.0, 6.0); // a shelf slope of 0 divides by zero
    EXPECT_EQ(run(filter, in), in);

    CIIR unknown;
    unknown.design(1000.0, 1.0, 0.0, static_cast<FilterType>(9));
    EXPECT_EQ(run(unknown, in), in);
}

TEST(IIR, DecayingTailEndsInExactSilenceWithoutDenormals)
{
    CIIR filter;
    filter.lowPass(210.79, 0.15); // the slowest crossover design: the longest tail
    const std::vector<float> out = run(filter, burstThenSilence());
    for (size_t i = 0; i < out.size(); ++i)
    {
        ASSERT_NE(std::fpclassify(out[i]), FP_SUBNORMAL) << "sample " << i;
    }
    EXPECT_EQ(out.back(), 0.0f);

    // Nothing is left in the history: an impulse now rings exactly as in a cleared filter.
    CIIR cleared;
    cleared.lowPass(210.79, 0.15);
    std::vector<float> impulse(300, 0.0f);
    impulse[0] = 1.0f;
    EXPECT_EQ(run(filter, impulse), run(cleared, impulse));
}

TEST(IIR, OutputDoesNotDependOnHowTheSignalIsCut)
{
    const std::vector<float> in = burstThenSilence();
    CIIR whole;
    whole.lowPass(210.79, 0.15);
    const std::vector<float> reference = run(whole, in);

    for (int runLength : {1, 7, 512, 1300, 4096})
    {
        CIIR cut;
        cut.lowPass(210.79, 0.15);
        std::vector<float> out(in.size());
        for (size_t start = 0; start < in.size(); start += runLength)
        {
            const int n = std::min<int>(runLength, static_cast<int>(in.size() - start));
            cut.process(in.data() + start, out.data() + start, n);
        }
        EXPECT_EQ(out, reference) << "runs of " << runLength;
    }
}

TEST(IIR, FiltersInPlace)
{
    const std::vector<float> in = noise(3000, 1.0f);
    CIIR apart;
    apart.bandPass(700.0, 1.5);
    const std::vector<float> expected = run(apart, in);

    CIIR inPlace;
    inPlace.bandPass(700.0, 1.5);
    std::vector<float> buffer = in;
    inPlace.process(buffer.data(), buffer.data(), static_cast<int>(buffer.size()));
    EXPECT_EQ(buffer, expected);
}

TEST(IIR, BadArgumentsLeaveTheFilterAlone)
{
    const std::vector<float> in = noise(1000, 1.0f);
    CIIR reference;
    reference.lowPass(1000.0, 0.7);
    const std::vector<float> expected = run(reference, in);

    CIIR filter;
    filter.lowPass(1000.0, 0.7);
    float sink = 5.0f;
    filter.process(nullptr, &sink, 1);
    filter.process(in.data(), nullptr, 1);
    filter.process(in.data(), &sink, 0);
    filter.process(in.data(), &sink, -4);
    filter.setSampleRate(0.0);
    filter.setSampleRate(-48000.0);
    filter.setSampleRate(std::nan(""));
    EXPECT_EQ(sink, 5.0f);
    EXPECT_EQ(run(filter, in), expected);
}

TEST(IIR, SurvivesNonFiniteInputAndRecoversAfterClear)
{
    CIIR filter;
    filter.lowPass(1000.0, 0.7);
    std::vector<float> bad = {1.0f, std::nanf(""), INFINITY, -INFINITY, 0.5f};
    run(filter, bad);
    filter.clear();

    CIIR fresh;
    fresh.lowPass(1000.0, 0.7);
    const std::vector<float> in = noise(500, 1.0f);
    EXPECT_EQ(run(filter, in), run(fresh, in));
}

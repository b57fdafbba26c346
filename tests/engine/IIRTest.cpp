#include "engine/IIR.h"

#include "tests/engine/SignalHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr int kRate = 44100;
constexpr double kSlowestCutoff = 210.79; // the crossover design with the longest tail

std::vector<float> run(CIIR& filter, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    filter.process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

double gainOf(CIIR& filter, double frequency)
{
    filter.clear();
    return gainAt([&filter](const float* in, float* out, int n) { filter.process(in, out, n); },
                  frequency, kRate);
}

// A loud burst, then silence long enough for a low-pass tail to decay past the smallest normal
// float.
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
    // The neutral peaking design cancels its terms up to double rounding: at most a unit or
    // two in the last place of a float near full scale.
    for (size_t i = 0; i < in.size(); ++i)
    {
        ASSERT_NEAR(out[i], in[i], 2.5e-7) << i;
    }
}

TEST(IIR, EachDesignHasItsCookbookResponse)
{
    // Fitted gains carry the float rounding of the signal (1e-7) and what is left of a
    // half-second settle: 1e-4 covers both.
    constexpr double kTolerance = 1e-4;
    const double sixDb = std::pow(10.0, 6.0 / 20.0);
    const double nyquist = kRate / 2.0;
    CIIR f;

    f.lowPass(1000.0, 0.7071);
    EXPECT_NEAR(gainOf(f, 0.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(f, 1000.0), std::sqrt(0.5), kTolerance);
    EXPECT_NEAR(gainOf(f, nyquist), 0.0, kTolerance);
    f.highPass(1000.0, 0.7071);
    EXPECT_NEAR(gainOf(f, 0.0), 0.0, kTolerance);
    EXPECT_NEAR(gainOf(f, 1000.0), std::sqrt(0.5), kTolerance);
    EXPECT_NEAR(gainOf(f, nyquist), 1.0, kTolerance);
    f.bandPass(2000.0, 2.0);
    EXPECT_NEAR(gainOf(f, 2000.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(f, 0.0), 0.0, kTolerance);
    f.bandPassPeakGainQ(2000.0, 2.0);
    EXPECT_NEAR(gainOf(f, 2000.0), 2.0, 2.0 * kTolerance);
    f.peaking(3000.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(f, 3000.0), sixDb, kTolerance);
    EXPECT_NEAR(gainOf(f, 0.0), 1.0, kTolerance);
    f.notch(3000.0, 1.0);
    EXPECT_NEAR(gainOf(f, 3000.0), 0.0, kTolerance);
    EXPECT_NEAR(gainOf(f, 0.0), 1.0, kTolerance);
    f.lowShelf(500.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(f, 0.0), sixDb, kTolerance);
    EXPECT_NEAR(gainOf(f, nyquist), 1.0, kTolerance);
    f.highShelf(5000.0, 1.0, 6.0);
    EXPECT_NEAR(gainOf(f, 0.0), 1.0, kTolerance);
    EXPECT_NEAR(gainOf(f, nyquist), sixDb, kTolerance);
}

TEST(IIR, DesignClearsTheHistoryAndTheDesignOperationsKeepIt)
{
    const std::vector<float> loud = noise(500, 1.0f);
    const std::vector<float> silence(50, 0.0f);
    CIIR kept;
    CIIR cleared;
    for (CIIR* f : {&kept, &cleared})
    {
        f->lowPass(2000.0, 0.7);
        run(*f, loud);
    }
    kept.lowPass(3000.0, 0.7);
    cleared.design(3000.0, 0.7, 0.0, FilterType::LowPass);
    EXPECT_NE(run(kept, silence).front(), 0.0f);
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

TEST(IIR, GuardsReplaceAQOfZero)
{
    const std::vector<float> in = noise(2000, 1.0f);
    const auto output = [&in](FilterType type, double q)
    {
        CIIR f;
        f.design(1000.0, q, 0.0, type);
        return run(f, in);
    };
    EXPECT_EQ(output(FilterType::LowPass, 0.0), output(FilterType::LowPass, 0.00001));
    EXPECT_EQ(output(FilterType::LowPass, -3.0), output(FilterType::LowPass, 0.00001));
    EXPECT_EQ(output(FilterType::Notch, 0.0), output(FilterType::Notch, 0.0001));
}

TEST(IIR, DecayingTailEndsInExactSilenceWithoutDenormals)
{
    CIIR filter;
    filter.lowPass(kSlowestCutoff, 0.15);
    const std::vector<float> out = run(filter, burstThenSilence());
    for (size_t i = 0; i < out.size(); ++i)
    {
        ASSERT_NE(std::fpclassify(out[i]), FP_SUBNORMAL) << i;
    }
    // Nothing is left in the history: an impulse rings exactly as in a cleared filter.
    CIIR cleared;
    cleared.lowPass(kSlowestCutoff, 0.15);
    std::vector<float> impulse(300, 0.0f);
    impulse[0] = 1.0f;
    EXPECT_EQ(run(filter, impulse), run(cleared, impulse));
}

TEST(IIR, OutputDoesNotDependOnHowTheSignalIsCut)
{
    const std::vector<float> in = burstThenSilence();
    CIIR whole;
    whole.lowPass(kSlowestCutoff, 0.15);
    const std::vector<float> reference = run(whole, in);
    for (int runLength : {1, 7, 512, 1300, 4096})
    {
        CIIR cut;
        cut.lowPass(kSlowestCutoff, 0.15);
        std::vector<float> out(in.size());
        for (size_t start = 0; start < in.size(); start += runLength)
        {
            const int n = std::min<int>(runLength, static_cast<int>(in.size() - start));
            cut.process(in.data() + start, out.data() + start, n);
        }
        EXPECT_EQ(out, reference) << "runs of " << runLength;
    }
}

TEST(IIR, BadDesignsPassTheSignalAndBadArgumentsWriteNothing)
{
    const std::vector<float> in = noise(1000, 1.0f);
    CIIR shelf;
    shelf.lowShelf(1000.0, 0.0, 6.0); // a shelf slope of 0 divides by zero
    EXPECT_EQ(run(shelf, in), in);
    CIIR unknown;
    unknown.design(1000.0, 1.0, 0.0, static_cast<FilterType>(9));
    EXPECT_EQ(run(unknown, in), in);

    CIIR filter;
    filter.lowPass(1000.0, 0.7);
    filter.setSampleRate(0.0);
    filter.setSampleRate(std::nan(""));
    float sink = 5.0f;
    filter.process(nullptr, &sink, 1);
    filter.process(in.data(), &sink, 0);
    EXPECT_EQ(sink, 5.0f);
    CIIR reference;
    reference.lowPass(1000.0, 0.7);
    EXPECT_EQ(run(filter, in), run(reference, in));
}

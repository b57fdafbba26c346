#include "engine/Crossover.h"

#include "engine/IIR.h"
#include "tests/engine/SignalHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

constexpr int kRate = 44100;

struct Stereo
{
    std::vector<float> left = noise(6000, 1.0f, 1);
    std::vector<float> right = noise(6000, 0.5f, 2);
};

Stereo run(CCrossover& crossover, const Stereo& in)
{
    Stereo out;
    crossover.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(),
                      static_cast<int>(in.left.size()));
    return out;
}

std::vector<float> lowPassed(const std::vector<float>& in, double setting, int rate = kRate)
{
    CIIR filter;
    filter.setSampleRate(rate);
    filter.lowPass(designFrequency(setting, rate), 0.15);
    std::vector<float> out(in.size());
    filter.process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

} // namespace

TEST(Crossover, DesignFrequencyMatchesTheCheckTable)
{
    // The table gives two decimals.
    EXPECT_NEAR(designFrequency(31.0, kRate), 210.79, 0.005);
    EXPECT_NEAR(designFrequency(640.0, kRate), 4263.14, 0.005);
    EXPECT_NEAR(designFrequency(1235.0, kRate), 7807.95, 0.005);
    EXPECT_NEAR(designFrequency(20000.0, kRate), 20951.58, 0.005);
}

TEST(Crossover, SplitsNearItsSetting)
{
    // The table gives the response to 0.01 dB.
    for (auto [setting, response] : {std::pair{31.0, -2.83}, {640.0, -2.79}, {1235.0, -2.68}})
    {
        CCrossover crossover;
        crossover.setCrossover(setting);
        const auto leftOnly = [&crossover](const float* in, float* out, int n)
        {
            std::vector<float> right(n);
            crossover.process(in, in, out, right.data(), n);
        };
        EXPECT_NEAR(decibels(gainAt(leftOnly, setting, kRate)), response, 0.01) << setting;
    }
}

TEST(Crossover, RunsTheSameLowPassOnBothChannels)
{
    const Stereo in;
    CCrossover crossover;
    crossover.setCrossover(640.0);
    const Stereo out = run(crossover, in);
    EXPECT_EQ(out.left, lowPassed(in.left, 640.0));
    EXPECT_EQ(out.right, lowPassed(in.right, 640.0));
}

TEST(Crossover, SampleRateChangeRecomputesTheDesignFrequencyFromTheSetting)
{
    // At 96 kHz a 19 kHz setting designs at about 43 kHz, far above half of 44.1 kHz, where
    // the low-pass would be unstable if that design frequency were kept.
    CCrossover crossover;
    crossover.setSampleRate(96000);
    crossover.setCrossover(19000.0);
    const Stereo in;
    run(crossover, in);
    crossover.setSampleRate(kRate);
    EXPECT_EQ(run(crossover, in).left, lowPassed(in.left, 19000.0)); // history cleared too
}

TEST(Crossover, CutoffAboveTheHighestDesignFrequencyIsLowered)
{
    const Stereo in;
    CCrossover beyond;
    beyond.setCutoff(30000.0); // above half the rate
    CCrossover highest;
    highest.setCutoff(6.8 / std::sqrt(50.0) * kRate / 2.0);
    EXPECT_EQ(run(beyond, in).left, run(highest, in).left);
}

TEST(Crossover, PairInOnePassGivesWhatEachGivesAlone)
{
    const Stereo in;
    CCrossover high;
    CCrossover low;
    high.setCrossover(2500.0);
    low.setCrossover(120.0);
    Stereo highOut;
    Stereo lowOut;
    CCrossover::processPair(high, low, in.left.data(), in.right.data(), highOut.left.data(),
                            highOut.right.data(), lowOut.left.data(), lowOut.right.data(),
                            static_cast<int>(in.left.size()));
    EXPECT_EQ(highOut.left, lowPassed(in.left, 2500.0));
    EXPECT_EQ(highOut.right, lowPassed(in.right, 2500.0));
    EXPECT_EQ(lowOut.left, lowPassed(in.left, 120.0));
    EXPECT_EQ(lowOut.right, lowPassed(in.right, 120.0));
}

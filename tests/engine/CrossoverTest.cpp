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
    std::vector<float> left;
    std::vector<float> right;
};

Stereo run(CCrossover& crossover, const Stereo& in)
{
    Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.right.size())};
    crossover.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(),
                      static_cast<int>(in.left.size()));
    return out;
}

std::vector<float> run(CIIR& filter, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    filter.process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

Stereo testSignal(int n = 6000)
{
    return {noise(n, 1.0f, 1), noise(n, 0.5f, 2)};
}

// The crossover's left channel as a plain filter, for the response fit.
double leftGainAt(CCrossover& crossover, double frequency, int rate)
{
    return gainAt(
        [&crossover](const float* in, float* out, int n)
        {
            std::vector<float> right(n);
            crossover.process(in, in, out, right.data(), n);
        },
        frequency, rate);
}

} // namespace

TEST(Crossover, DesignFrequencyMatchesTheCheckTable)
{
    // The table gives two decimals.
    EXPECT_NEAR(designFrequency(31.0, kRate), 210.79, 0.005);
    EXPECT_NEAR(designFrequency(640.0, kRate), 4263.14, 0.005);
    EXPECT_NEAR(designFrequency(1235.0, kRate), 7807.95, 0.005);
    EXPECT_NEAR(designFrequency(20000.0, kRate), 20951.58, 0.005);
    EXPECT_LT(designFrequency(1e9, kRate), kRate / 2.0);
}

TEST(Crossover, SplitsNearItsSetting)
{
    // The table gives the response to 0.01 dB.
    const struct
    {
        double setting;
        double decibels;
    } table[] = {{31.0, -2.83}, {640.0, -2.79}, {1235.0, -2.68}};
    for (const auto& row : table)
    {
        CCrossover crossover;
        crossover.setCrossover(row.setting);
        EXPECT_NEAR(decibels(leftGainAt(crossover, row.setting, kRate)), row.decibels, 0.01)
            << row.setting << " Hz";
    }
}

TEST(Crossover, RunsTheLowPassDesignOnBothChannelsAndKeepsHistoryOnRedesign)
{
    const Stereo in = testSignal();
    const Stereo firstHalf{{in.left.begin(), in.left.begin() + 3000},
                           {in.right.begin(), in.right.begin() + 3000}};
    const Stereo secondHalf{{in.left.begin() + 3000, in.left.end()},
                            {in.right.begin() + 3000, in.right.end()}};

    CCrossover crossover;
    crossover.setCrossover(640.0);
    const Stereo a = run(crossover, firstHalf);
    crossover.setCrossover(1235.0);
    const Stereo b = run(crossover, secondHalf);

    const auto expectLowPass = [](const std::vector<float>& in1, const std::vector<float>& in2,
                                  const std::vector<float>& out1, const std::vector<float>& out2)
    {
        CIIR filter;
        filter.lowPass(designFrequency(640.0, kRate), 0.15);
        EXPECT_EQ(run(filter, in1), out1);
        filter.lowPass(designFrequency(1235.0, kRate), 0.15);
        EXPECT_EQ(run(filter, in2), out2);
    };
    expectLowPass(firstHalf.left, secondHalf.left, a.left, b.left);
    expectLowPass(firstHalf.right, secondHalf.right, a.right, b.right);
}

TEST(Crossover, SampleRateChangeRecomputesTheDesignFrequencyFromTheSetting)
{
    // At 96 kHz a 19 kHz setting designs at about 43 kHz, far above half of 44.1 kHz: kept
    // as it is, that design would be unstable at the lower rate.
    CCrossover crossover;
    crossover.setSampleRate(96000);
    crossover.setCrossover(19000.0);
    const Stereo in = testSignal();
    run(crossover, in);
    crossover.setSampleRate(kRate);
    const Stereo out = run(crossover, in);

    CIIR filter;
    filter.setSampleRate(kRate);
    filter.lowPass(designFrequency(19000.0, kRate), 0.15);
    EXPECT_EQ(out.left, run(filter, in.left)); // also shows that the history was cleared
}

TEST(Crossover, CutoffAboveTheHighestDesignFrequencyIsLowered)
{
    const Stereo in = testSignal();
    CCrossover high;
    high.setCutoff(30000.0); // above half the rate
    CCrossover highest;
    highest.setCutoff(6.8 / std::sqrt(50.0) * kRate / 2.0);
    const Stereo out = run(high, in);
    EXPECT_EQ(out.left, run(highest, in).left);
    for (float y : out.left)
    {
        ASSERT_LT(std::fabs(y), 10.0f);
    }
}

TEST(Crossover, SampleRateChangeKeepsADirectCutoffBelowHalfTheNewRate)
{
    CCrossover crossover;
    crossover.setSampleRate(96000);
    crossover.setCutoff(40000.0);
    crossover.setSampleRate(kRate);
    const Stereo in = testSignal();
    for (float y : run(crossover, in).left)
    {
        ASSERT_LT(std::fabs(y), 10.0f);
    }
}

TEST(Crossover, IgnoresSettingsWithoutADesignFrequency)
{
    const Stereo in = testSignal();
    CCrossover reference;
    reference.setCrossover(640.0);
    const Stereo expected = run(reference, in);

    CCrossover crossover;
    crossover.setCrossover(640.0);
    crossover.setCrossover(0.0);
    crossover.setCrossover(std::nan(""));
    crossover.setCutoff(0.0);
    crossover.setCutoff(-100.0);
    crossover.setSampleRate(0);
    const Stereo out = run(crossover, in);
    EXPECT_EQ(out.left, expected.left);
    EXPECT_EQ(out.right, expected.right);
}

TEST(Crossover, ClearZeroesTheHistoryOfBothChannels)
{
    const Stereo in = testSignal();
    CCrossover crossover;
    crossover.setCrossover(300.0);
    run(crossover, in);
    crossover.clear();
    const Stereo silence{std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f)};
    const Stereo out = run(crossover, silence);
    EXPECT_EQ(out.left, silence.left);
    EXPECT_EQ(out.right, silence.right);
}

TEST(Crossover, NewCrossoverPassesTheSignalThrough)
{
    const Stereo in = testSignal();
    CCrossover crossover;
    const Stereo out = run(crossover, in);
    // As a new CIIR: the neutral design cancels up to double rounding.
    for (size_t i = 0; i < in.left.size(); ++i)
    {
        ASSERT_NEAR(out.left[i], in.left[i], 2.5e-7);
        ASSERT_NEAR(out.right[i], in.right[i], 2.5e-7);
    }
}

TEST(Crossover, FiltersInPlace)
{
    const Stereo in = testSignal();
    CCrossover apart;
    apart.setCrossover(2500.0);
    const Stereo expected = run(apart, in);

    CCrossover inPlace;
    inPlace.setCrossover(2500.0);
    Stereo buffer = in;
    inPlace.process(buffer.left.data(), buffer.right.data(), buffer.left.data(),
                    buffer.right.data(), static_cast<int>(buffer.left.size()));
    EXPECT_EQ(buffer.left, expected.left);
    EXPECT_EQ(buffer.right, expected.right);
}

TEST(Crossover, PairInOnePassGivesWhatEachGivesAlone)
{
    const Stereo in = testSignal();
    CCrossover high;
    CCrossover low;
    CCrossover highAlone;
    CCrossover lowAlone;
    for (CCrossover* c : {&high, &highAlone})
    {
        c->setCrossover(2500.0);
    }
    for (CCrossover* c : {&low, &lowAlone})
    {
        c->setCrossover(120.0);
    }

    Stereo highOut{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    Stereo lowOut = highOut;
    const int half = static_cast<int>(in.left.size() / 2);
    for (int start : {0, half})
    {
        CCrossover::processPair(high, low, in.left.data() + start, in.right.data() + start,
                                highOut.left.data() + start, highOut.right.data() + start,
                                lowOut.left.data() + start, lowOut.right.data() + start, half);
        high.setCrossover(4000.0); // redesigned between the two runs, history kept
    }

    Stereo firstHalf{{in.left.begin(), in.left.begin() + half},
                     {in.right.begin(), in.right.begin() + half}};
    Stereo secondHalf{{in.left.begin() + half, in.left.end()},
                      {in.right.begin() + half, in.right.end()}};
    Stereo highExpected = run(highAlone, firstHalf);
    Stereo lowExpected = run(lowAlone, firstHalf);
    highAlone.setCrossover(4000.0);
    const Stereo highRest = run(highAlone, secondHalf);
    const Stereo lowRest = run(lowAlone, secondHalf);
    for (auto [to, from] : {std::pair{&highExpected, &highRest}, std::pair{&lowExpected, &lowRest}})
    {
        to->left.insert(to->left.end(), from->left.begin(), from->left.end());
        to->right.insert(to->right.end(), from->right.begin(), from->right.end());
    }
    EXPECT_EQ(highOut.left, highExpected.left);
    EXPECT_EQ(highOut.right, highExpected.right);
    EXPECT_EQ(lowOut.left, lowExpected.left);
    EXPECT_EQ(lowOut.right, lowExpected.right);
}

TEST(Crossover, PairOfOneCrossoverRunsItOnce)
{
    const Stereo in = testSignal();
    CCrossover alone;
    alone.setCrossover(800.0);
    const Stereo expected = run(alone, in);

    CCrossover crossover;
    crossover.setCrossover(800.0);
    Stereo a{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    Stereo b = a;
    CCrossover::processPair(crossover, crossover, in.left.data(), in.right.data(), a.left.data(),
                            a.right.data(), b.left.data(), b.right.data(),
                            static_cast<int>(in.left.size()));
    EXPECT_EQ(a.left, expected.left);
    EXPECT_EQ(b.right, expected.right);
}

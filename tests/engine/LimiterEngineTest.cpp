#include "engine/LimiterEngine.h"
#include "tests/engine/SignalHelpers.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// Loud noise through limiters that act on every band, so that every stage's coefficients
// shape the output.
std::vector<float> limitedNoise(CLimiterEngine& engine)
{
    for (int band = 0; band < kNumBands; ++band)
        engine.setThreshold(band, -12.0);
    engine.setAttack(0.5);
    engine.setRelease(20.0);
    std::vector<float> left = noise(4000, 0.9f, 1);
    std::vector<float> right = noise(4000, 0.9f, 2);
    engine.process(4000, left.data(), right.data(), left.data(), right.data(), ProcessContext{});
    left.insert(left.end(), right.begin(), right.end());
    return left;
}
} // namespace

TEST(LimiterEngine, RunsEveryStageAtTheRateItIsBuiltFor)
{
    // The engine is large: keep it off the stack.
    auto built = std::make_unique<CLimiterEngine>(96000);
    auto changed = std::make_unique<CLimiterEngine>(44100);
    changed->setSampleRate(96000);
    EXPECT_EQ(limitedNoise(*built), limitedNoise(*changed));
}

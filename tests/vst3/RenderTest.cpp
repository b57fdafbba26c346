// The module played as a host plays it, against vrn07-render with the same program and
// settings: sample for sample the same sound, late by the latency the plug-in reports. A
// parameter change inside a block lands on its sample.
#include "tests/vst3/Vst3Host.h"

#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"
#include "engine/TruePeakLimiter.h"
#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
constexpr int kRate = 48000;
// vrn07-render's own host block.
constexpr int kBlock = 512;
constexpr int kDelay = 15;

struct Stereo
{
    std::vector<float> left, right;
};

Stereo split(const Sound& sound)
{
    Stereo stereo;
    for (size_t i = 0; i + 1 < sound.samples.size(); i += 2)
    {
        stereo.left.push_back(sound.samples[i]);
        stereo.right.push_back(sound.samples[i + 1]);
    }
    return stereo;
}

// A loud stereo programme: a sine with noise, far above full scale at times.
Sound programme()
{
    Sound sound = sineSound(kRate, 2, 96000, 97.0, 1.4);
    addNoise(sound, 0.6);
    return sound;
}

class Vst3Render : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(module_.factory(), nullptr) << module_.error();
        writeSound(folder_.path("in.wav"), input_);
    }

    Stereo render(int program, bool raw, const std::vector<std::string>& more = {})
    {
        std::vector<std::string> arguments = {"in.wav",    "render.wav",
                                              "--program", std::to_string(program),
                                              "--block",   std::to_string(kBlock)};
        arguments.insert(arguments.end(), more.begin(), more.end());
        if (raw)
            arguments.push_back("--raw");
        const RunResult run = folder_.run(arguments);
        EXPECT_TRUE(run.status == 0 || run.status == 3) << run.err;
        return split(readSound(folder_.path("render.wav")));
    }

    // The programme through a new instance in the render's blocks, the program and the
    // ceiling (normalised; 0 is off) chosen in the first block's queues, as hosts send them.
    Stereo play(int program, double ceiling, uint32_t* latency = nullptr)
    {
        Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
        EXPECT_TRUE(instance.start(kRate, kBlock));
        Stereo sound = split(input_);
        ParameterChanges changes;
        changes.add(vst3_parameters::kProgramId, 0, double(program) / (kNumPrograms - 1));
        changes.add(kParamCeiling, 0, ceiling);
        const int frames = int(sound.left.size());
        for (int at = 0; at < frames; at += kBlock)
        {
            processBlock(*instance.processor, &sound.left[size_t(at)], &sound.right[size_t(at)],
                         std::min(kBlock, frames - at), &changes);
            changes.clear();
        }
        if (latency)
            *latency = instance.processor->getLatencySamples();
        return sound;
    }

    static bool sameFrom(const Stereo& late, const Stereo& early, size_t shift)
    {
        return late.left.size() == early.left.size() &&
               std::equal(late.left.begin() + long(shift), late.left.end(), early.left.begin()) &&
               std::equal(late.right.begin() + long(shift), late.right.end(), early.right.begin());
    }

    Vst3Module module_{testModulePath()};
    ScratchFolder folder_;
    Sound input_ = programme();
};
} // namespace

TEST_F(Vst3Render, PlaysEveryProgramAsVrn07RenderRawBitForBit)
{
    for (int program = 0; program < kNumPrograms; ++program)
    {
        SCOPED_TRACE(kFactoryPresets[program].name);
        uint32_t latency = 0;
        const Stereo played = play(program, 0.0, &latency);
        EXPECT_EQ(latency, uint32_t(kDelay));
        EXPECT_TRUE(sameFrom(played, render(program, true), 0));
    }
}

// What getLatencySamples reports is what vrn07-render takes away for an aligned output.
TEST_F(Vst3Render, IsLateByItsReportedLatencyAgainstTheAlignedRender)
{
    uint32_t latency = 0;
    const Stereo played = play(2, 0.0, &latency);
    EXPECT_TRUE(sameFrom(played, render(2, false), latency));
}

// vrn07-render's raw output keeps the plug-in's delay but leaves out the true-peak stage's
// look-ahead, which the plug-in reports and keeps.
TEST_F(Vst3Render, PlaysTheCeilingAsVrn07RenderBitForBit)
{
    uint32_t latency = 0;
    const Stereo played = play(3, kCeilingRecord.normalizedOf(-1.0), &latency);
    const int lookAhead = CTruePeakLimiter(kRate).latencyFrames();
    EXPECT_EQ(latency, uint32_t(kDelay + lookAhead));
    EXPECT_TRUE(sameFrom(played, render(3, true, {"--ceiling", "-1"}), size_t(lookAhead)));
}

// A change at an offset inside a block sounds as the same change at the start of a block
// that begins there; at the block's start it would sound different.
TEST_F(Vst3Render, AppliesChangesAtTheirOffsetsInsideTheBlock)
{
    auto playWith = [this](const std::vector<int>& blocks, int changeBlock, int offset)
    {
        Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
        EXPECT_TRUE(instance.start(kRate, kBlock));
        Stereo sound = split(input_);
        ParameterChanges changes;
        int at = 0;
        for (size_t b = 0; b < blocks.size(); ++b)
        {
            changes.clear();
            if (int(b) == changeBlock)
            {
                changes.add(kParamThresholdLow, offset, 0.1);
                changes.add(kParamLimiterGain, offset, 0.9);
                changes.add(kParamLimiterGain, offset + 40, 0.2);
            }
            processBlock(*instance.processor, &sound.left[size_t(at)], &sound.right[size_t(at)],
                         blocks[b], &changes);
            at += blocks[b];
        }
        sound.left.resize(size_t(at));
        sound.right.resize(size_t(at));
        return sound;
    };
    const Stereo inside = playWith({kBlock, kBlock, kBlock}, 1, 100);
    const Stereo split = playWith({kBlock, 100, kBlock - 100, kBlock}, 2, 0);
    const Stereo atStart = playWith({kBlock, kBlock, kBlock}, 1, 0);
    EXPECT_TRUE(sameFrom(inside, split, 0));
    EXPECT_FALSE(sameFrom(inside, atStart, 0));
}

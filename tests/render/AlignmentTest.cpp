// By default vrn07-render writes the whole input, output frame n belonging to input frame n;
// --raw writes what a host without delay compensation records.
#include "tests/render/RenderRun.h"

#include "engine/SafeClip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kDelay = CSafeClip::kDelayFrames;

// frames of silence with the stereo frames from first on at value.
Sound stepSound(long long frames, long long first, float value)
{
    Sound sound;
    sound.samples.assign(size_t(frames) * 2, 0.0f);
    std::fill(sound.samples.begin() + first * 2, sound.samples.end(), value);
    return sound;
}

long long loudestFrame(const Sound& sound)
{
    const auto loudest =
        std::max_element(sound.samples.begin(), sound.samples.end(),
                         [](float a, float b) { return std::abs(a) < std::abs(b); });
    return (loudest - sound.samples.begin()) / sound.channels;
}

class RenderAlignment : public ::testing::Test
{
  protected:
    // Renders a file holding sound with these extra arguments and reads the result.
    Sound render(const Sound& sound, std::vector<std::string> arguments)
    {
        writeSound(folder_.path("in.wav"), sound);
        arguments.insert(arguments.begin(), {"in.wav", "out.wav"});
        last_ = folder_.run(arguments);
        EXPECT_EQ(last_.status, 0) << last_.err;
        return readSound(folder_.path("out.wav"));
    }

    ScratchFolder folder_;
    RunResult last_;
};
} // namespace

TEST_F(RenderAlignment, KeepsTheEndOfTheMusic)
{
    const Sound output = render(stepSound(100, 90, 0.5f), {});
    ASSERT_EQ(output.frames(), 100);
    for (long long frame = 90; frame < 100; ++frame)
        EXPECT_GT(std::abs(output.samples[size_t(2 * frame)]), 0.1f) << frame;
    EXPECT_NE(last_.out.find("aligned with the input (15 frames of delay removed)"),
              std::string::npos)
        << last_.out;
}

TEST_F(RenderAlignment, GivesAOneFrameFileItsSample)
{
    const Sound output = render(stepSound(1, 0, 0.5f), {});
    ASSERT_EQ(output.frames(), 1);
    EXPECT_GT(std::abs(output.samples[0]), 0.1f);
}

TEST_F(RenderAlignment, PutsAClickWhereTheInputHasIt)
{
    Sound click = stepSound(200, 200, 0.0f);
    click.samples[2 * 120] = click.samples[2 * 120 + 1] = 0.8f;
    EXPECT_EQ(loudestFrame(render(click, {})), 120);
    EXPECT_EQ(loudestFrame(render(click, {"--raw"})), 120 + kDelay);
}

TEST_F(RenderAlignment, RawIsTheAlignedOutputDelayedAndCutToTheInputsLength)
{
    Sound music = sineSound(44100, 2, 3000, 300.0, 0.6);
    addNoise(music, 0.3);
    const Sound aligned = render(music, {"--block", "64"});
    const Sound raw = render(music, {"--block", "64", "--raw"});
    EXPECT_NE(last_.out.find("raw (delayed by 15 frames, as an uncompensated host records)"),
              std::string::npos)
        << last_.out;
    ASSERT_EQ(aligned.frames(), music.frames());
    ASSERT_EQ(raw.frames(), music.frames());
    // The same samples computed in the same order: equal bit for bit.
    const std::vector<float> delayedPart(raw.samples.begin() + 2 * kDelay, raw.samples.end());
    const std::vector<float> alignedPart(aligned.samples.begin(),
                                         aligned.samples.end() - 2 * kDelay);
    EXPECT_EQ(alignedPart, delayedPart);
    EXPECT_EQ(std::vector<float>(raw.samples.begin(), raw.samples.begin() + 2 * kDelay),
              std::vector<float>(2 * kDelay, 0.0f));
}

TEST_F(RenderAlignment, LeavesABypassedEffectUndelayedEitherWay)
{
    Sound music = sineSound(44100, 2, 1000, 300.0, 0.6);
    addNoise(music, 0.3);
    EXPECT_EQ(render(music, {"--set", "Bypass (local)=0"}).samples, music.samples);
    EXPECT_NE(last_.out.find("the bypassed effect has no delay"), std::string::npos) << last_.out;
    EXPECT_EQ(render(music, {"--bypass", "--raw"}).samples, music.samples);
}

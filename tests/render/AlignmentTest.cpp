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
    // Renders a file holding sound with these extra arguments and reads the result. A true
    // peak the 16x meter reads over a ceiling is reported with status 3; the output is
    // written all the same.
    Sound render(const Sound& sound, std::vector<std::string> arguments)
    {
        writeSound(folder_.path("in.wav"), sound);
        arguments.insert(arguments.begin(), {"in.wav", "out.wav"});
        last_ = folder_.run(arguments);
        EXPECT_TRUE(last_.status == 0 ||
                    (last_.status == 3 && last_.err.find("over the ceiling") != std::string::npos))
            << last_.err;
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

TEST_F(RenderAlignment, CompensatesTheTruePeakStagesLookAheadToo)
{
    // A click far above a -6 dBTP ceiling: the stage turns it down around its own frame.
    Sound click = stepSound(400, 400, 0.0f);
    click.samples[2 * 120] = click.samples[2 * 120 + 1] = 0.8f;
    const Sound output = render(click, {"--ceiling", "-6"});
    ASSERT_EQ(output.frames(), 400);
    EXPECT_EQ(loudestFrame(output), 120);
    EXPECT_LT(peakOf(output.samples), 0.5);
    EXPECT_NE(last_.out.find("frames of delay removed: 15 of the plug-in, "), std::string::npos)
        << last_.out;
    // Nothing is cut at the end either.
    const Sound ending = render(stepSound(300, 290, 0.5f), {"--ceiling", "-6"});
    ASSERT_EQ(ending.frames(), 300);
    for (long long frame = 290; frame < 300; ++frame)
        EXPECT_GT(std::abs(ending.samples[size_t(2 * frame)]), 0.05f) << frame;
}

TEST_F(RenderAlignment, RawWithACeilingKeepsThePluginsDelayButNotTheStages)
{
    Sound music = sineSound(44100, 2, 3000, 300.0, 0.6);
    addNoise(music, 0.3);
    const std::vector<std::string> limited = {"--ceiling", "-3", "--set", "Limiter Gain=9"};
    const Sound aligned = render(music, limited);
    std::vector<std::string> rawArguments = limited;
    rawArguments.push_back("--raw");
    const Sound raw = render(music, rawArguments);
    ASSERT_EQ(raw.frames(), music.frames());
    // The stage sees the same stream either way: the raw output is the aligned one 15 frames
    // later, bit for bit.
    EXPECT_EQ(std::vector<float>(aligned.samples.begin(), aligned.samples.end() - 2 * kDelay),
              std::vector<float>(raw.samples.begin() + 2 * kDelay, raw.samples.end()));
    EXPECT_NE(last_.out.find("of the true-peak stage's look-ahead removed"), std::string::npos)
        << last_.out;
}

#include "tests/audio/AudioFixture.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
constexpr int kDelay = 15;
constexpr float kCeiling = 0.99993896484375f;

class AudioPath : public InProcessPlugin
{
  protected:
    // Every gain at 0 dB and every threshold at its top: nothing limits a quiet signal.
    void makeTransparent(bool safeClip)
    {
        setReal(24, 0);
        setReal(25, 0);
        for (int index = 14; index <= 19; ++index)
            setReal(index, index <= 16 ? 18 : 0);
        setReal(26, safeClip ? 1 : 0);
    }
};

bool identical(const StereoBuffer& a, const StereoBuffer& b)
{
    return a.left.size() == b.left.size() &&
           std::memcmp(a.left.data(), b.left.data(), a.left.size() * sizeof(float)) == 0 &&
           std::memcmp(a.right.data(), b.right.data(), a.right.size() * sizeof(float)) == 0;
}

// A loud programme: noise with bursts far above full scale and a square wave.
StereoBuffer loudProgramme(int frames)
{
    StereoBuffer signal = noise(frames, 0.5f, 7);
    for (int i = 0; i < frames; ++i)
    {
        const float square = (i / 100) % 2 ? 1.0f : -1.0f;
        const float burst = (i / 3000) % 2 ? 6.0f : 1.0f;
        signal.left[size_t(i)] = signal.left[size_t(i)] * burst + 0.5f * square;
        signal.right[size_t(i)] = signal.right[size_t(i)] * burst - 0.3f * square;
    }
    return signal;
}
} // namespace

TEST_F(AudioPath, BypassCopiesTheInputBitForBitWithoutDelay)
{
    setReal(13, 0);
    StereoBuffer input = noise(2000, 3.0f);
    input.left[5] = std::numeric_limits<float>::quiet_NaN();
    input.right[9] = std::numeric_limits<float>::denorm_min();
    const StereoBuffer output = render(input, 333);
    EXPECT_EQ(std::memcmp(output.right.data(), input.right.data(), 2000 * sizeof(float)), 0);
    EXPECT_TRUE(std::isnan(output.left[5]));
    for (int i = 0; i < 2000; ++i)
    {
        if (i == 5)
            continue;
        ASSERT_EQ(output.left[size_t(i)], input.left[size_t(i)]) << i;
    }
}

TEST_F(AudioPath, DelaysAnUnlimitedSignalByExactly15Samples)
{
    makeTransparent(false);
    StereoBuffer input = noise(3000, 0.05f);
    const StereoBuffer output = render(input, 512);
    for (int i = 0; i < kDelay; ++i)
        ASSERT_EQ(output.left[size_t(i)], 0.0f);
    // The bands add up to the input up to the rounding of the float band buffers.
    for (int i = 0; i + kDelay < 3000; ++i)
    {
        ASSERT_NEAR(output.left[size_t(i + kDelay)], input.left[size_t(i)], 1e-7) << i;
        ASSERT_NEAR(output.right[size_t(i + kDelay)], input.right[size_t(i)], 1e-7) << i;
    }
}

TEST_F(AudioPath, ScalesAnUnlimitedSignalByTheCeilingWithSafeClipOn)
{
    makeTransparent(true);
    StereoBuffer input = noise(3000, 0.05f);
    const StereoBuffer output = render(input, 512);
    for (int i = 0; i + kDelay < 3000; ++i)
        ASSERT_NEAR(output.left[size_t(i + kDelay)], input.left[size_t(i)] * kCeiling, 1e-7) << i;
}

TEST_F(AudioPath, HoldsEveryOutputBelowTheCeilingWithSafeClipOn)
{
    plugin_->dispatch(effSetProgram, 0, 4); // SimpleMaximize: +6 dB output
    setReal(24, 18);
    StereoBuffer input = loudProgramme(48000);
    const StereoBuffer output = render(input, 512);
    float largest = 0;
    for (int i = 0; i < output.frames(); ++i)
        largest = std::max(
            {largest, std::fabs(output.left[size_t(i)]), std::fabs(output.right[size_t(i)])});
    EXPECT_LE(largest, kCeiling);
    EXPECT_GT(largest, 0.9f) << "the signal really drove the clipper";
}

TEST_F(AudioPath, GivesTheSameOutputForAnyBlockSize)
{
    StereoBuffer input = loudProgramme(20000);
    std::vector<StereoBuffer> outputs;
    for (int block : {1, 7, 512, 1300, 4096})
    {
        auto plugin = create();
        plugin->dispatch(effSetProgram, 0, 2); // KickPunch: Sens on, fast times
        outputs.push_back(render(*plugin, input, block));
    }
    for (size_t i = 1; i < outputs.size(); ++i)
        EXPECT_TRUE(identical(outputs[0], outputs[i])) << "block size #" << i;
}

TEST_F(AudioPath, ProcessesInPlace)
{
    StereoBuffer input = loudProgramme(5000);
    auto other = create();
    const StereoBuffer separate = render(*other, input, 700);
    StereoBuffer shared = input;
    for (int offset = 0; offset < shared.frames(); offset += 700)
    {
        const int n = std::min(700, shared.frames() - offset);
        plugin_->process(shared.pointers(offset), shared.pointers(offset), n);
    }
    EXPECT_TRUE(identical(separate, shared));
}

TEST_F(AudioPath, WritesNothingAndKeepsItsStateForEmptyOrBrokenBlocks)
{
    StereoBuffer input = loudProgramme(4000);
    auto reference = create();
    const StereoBuffer expected = render(*reference, input, 512);

    StereoBuffer untouched(64);
    std::fill(untouched.left.begin(), untouched.left.end(), 7.0f);
    plugin_->process(input.pointers(), untouched.pointers(), 0);
    plugin_->process(input.pointers(), untouched.pointers(), -5);
    plugin_->process(nullptr, untouched.pointers(), 64);
    plugin_->process(input.pointers(), nullptr, 64);
    float* halfOutputs[2] = {untouched.left.data(), nullptr};
    plugin_->process(input.pointers(), halfOutputs, 64);
    for (float sample : untouched.left)
        ASSERT_EQ(sample, 7.0f);
    EXPECT_TRUE(identical(render(input, 512), expected));
}

TEST_F(AudioPath, TakesNonFiniteInputAsSilence)
{
    StereoBuffer clean = loudProgramme(4000);
    StereoBuffer broken = clean;
    for (int i : {100, 1000, 2500})
    {
        clean.left[size_t(i)] = 0.0f;
        clean.right[size_t(i)] = 0.0f;
        broken.left[size_t(i)] = std::numeric_limits<float>::quiet_NaN();
        broken.right[size_t(i)] = i == 1000 ? -std::numeric_limits<float>::infinity()
                                            : std::numeric_limits<float>::infinity();
    }
    auto reference = create();
    EXPECT_TRUE(identical(render(broken, 256), render(*reference, clean, 256)));
}

TEST_F(AudioPath, StartsSilentAfterAResume)
{
    StereoBuffer input = loudProgramme(2000);
    render(input, 512);
    plugin_->dispatch(effMainsChanged, 0, 1);
    const StereoBuffer output = render(input, 512);
    for (int i = 0; i < kDelay; ++i)
        ASSERT_EQ(output.left[size_t(i)], 0.0f);
    EXPECT_NE(output.left[kDelay], 0.0f);
}

TEST_F(AudioPath, ResumesFromTheFrozenDelayAfterABypass)
{
    makeTransparent(false);
    StereoBuffer before = noise(100, 0.1f, 3);
    render(before, 100);
    setReal(13, 0);
    StereoBuffer during = noise(50, 0.1f, 4);
    render(during, 50);
    setReal(13, 1);
    StereoBuffer after(kDelay);
    const StereoBuffer output = render(after, kDelay);
    for (int i = 0; i < kDelay; ++i)
        ASSERT_NEAR(output.left[size_t(i)], before.left[size_t(100 - kDelay + i)], 1e-7) << i;
}

TEST_F(AudioPath, SwitchesTheOuterBandsAtTheEndsOfTheCrossoverRanges)
{
    const CLimiterEngine& engine = effect().engine();
    setReal(20, 10);
    EXPECT_FALSE(engine.lowBandOn());
    setReal(20, 10.1); // arrives as the float 10.100000381, above the double 10.1
    EXPECT_TRUE(engine.lowBandOn());
    setReal(20, 10.2);
    EXPECT_TRUE(engine.lowBandOn());
    effect().applyParameter(20, 10.1f);
    EXPECT_TRUE(engine.lowBandOn());

    setReal(21, 20000);
    EXPECT_FALSE(engine.highBandOn());
    setReal(21, 19999); // arrives as 19998.998
    EXPECT_TRUE(engine.highBandOn());
    effect().applyParameter(21, 19999.0f);
    EXPECT_FALSE(engine.highBandOn());
}

TEST_F(AudioPath, SendsEverythingThroughTheMiddleBandWhenBothOuterBandsAreOff)
{
    plugin_->dispatch(effSetProgram, 0, 3); // SingleBand: 10 Hz and 20000 Hz
    makeTransparent(false);
    StereoBuffer input = noise(1000, 0.05f);
    const StereoBuffer output = render(input, 512);
    // One band only: the sum is the input itself, exactly.
    for (int i = 0; i + kDelay < 1000; ++i)
        ASSERT_EQ(output.left[size_t(i + kDelay)], input.left[size_t(i)]) << i;
}

// Adjacent samples of opposite sign near the float limit overflow the band split; every
// program, with SafeClip on and off and at the largest drive, must still give finite output.
TEST_F(AudioPath, GivesFiniteOutputForHugeFiniteInputAtEveryProgramAndDrive)
{
    StereoBuffer input = noise(600, 1.0f, 3);
    for (int i = 0; i < 600; i += 7)
    {
        input.left[size_t(i)] = 1.7e38f;
        input.left[size_t(i + 1)] = -1.7e38f;
        input.right[size_t(i)] = std::numeric_limits<float>::max();
        input.right[size_t(i + 2)] = -std::numeric_limits<float>::max();
    }
    for (int program = 0; program < 5; ++program)
    {
        for (const bool safeClip : {true, false})
        {
            for (const double drive : {0.0, 18.0})
            {
                plugin_->dispatch(effSetProgram, 0, program);
                setReal(26, safeClip ? 1 : 0);
                setReal(24, drive);
                const StereoBuffer output = render(input, 64);
                for (int i = 0; i < 600; ++i)
                {
                    ASSERT_TRUE(std::isfinite(output.left[size_t(i)]))
                        << program << " " << safeClip << " " << drive << " frame " << i;
                    ASSERT_TRUE(std::isfinite(output.right[size_t(i)]))
                        << program << " " << safeClip << " " << drive << " frame " << i;
                }
            }
        }
    }
}

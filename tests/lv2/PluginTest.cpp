// The LV2 plug-in library as a host drives it: the same sound as the VST 2.4 edition with the
// same settings, the controls quantised as the knobs, the reported latency and the bypass
// that keeps it.
#include "tests/lv2/Lv2Host.h"

#include "engine/CeilingStage.h"
#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/TruePeakLimiter.h"
#include "tools/host/HostHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace
{
constexpr int kRate = 48000;
constexpr int kFrames = 20000;
constexpr int kDelay = 15;

struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
};

// Loud enough for every band to limit and SafeClip to act: noise with bursts and a square.
Stereo programme(int frames = kFrames)
{
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> sample(-0.6f, 0.6f);
    Stereo signal{std::vector<float>(size_t(frames)), std::vector<float>(size_t(frames))};
    for (int i = 0; i < frames; ++i)
    {
        const float burst = (i / 2500) % 2 ? 3.0f : 0.7f;
        const float square = (i / 90) % 2 ? 0.4f : -0.4f;
        signal.left[size_t(i)] = sample(generator) * burst + square;
        signal.right[size_t(i)] = sample(generator) * burst - square;
    }
    return signal;
}

bool identical(const Stereo& a, const Stereo& b)
{
    return a.left == b.left && a.right == b.right;
}

// The VST 2.4 edition in-process: the program, then real settings, as vrn07-render sets them.
Stereo renderVst(const Stereo& input, int program, const std::vector<std::pair<int, double>>& set,
                 int block)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, float(kRate));
    plugin.dispatch(effSetBlockSize, 0, block);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effSetProgram, 0, program);
    for (const auto& [index, real] : set)
        plugin.setParameter(index, float(realToNormalized(real, index)));
    Stereo output{std::vector<float>(input.left.size()), std::vector<float>(input.left.size())};
    for (size_t offset = 0; offset < input.left.size(); offset += size_t(block))
    {
        const int n = int(std::min(input.left.size() - offset, size_t(block)));
        float* inputs[] = {const_cast<float*>(&input.left[offset]),
                           const_cast<float*>(&input.right[offset])};
        float* outputs[] = {&output.left[offset], &output.right[offset]};
        plugin.process(inputs, outputs, n);
    }
    return output;
}

// The controls a program sets, as a host sets them from the bundle's preset.
void loadPreset(Lv2Instance& instance, int program)
{
    for (const PresetEntry& entry : kFactoryPresets[program].entries)
    {
        if (entry.index < 0)
            break;
        if (lv2::hasPort(entry.index))
            instance.setControl(entry.index, float(entry.value));
    }
}

class Lv2Plugin : public ::testing::Test
{
  protected:
    Stereo render(Lv2Instance& instance, Stereo signal, int block, bool inPlace = false)
    {
        instance.process(signal.left, signal.right, block, inPlace);
        return signal;
    }

    Lv2Library library_;
};
} // namespace

TEST_F(Lv2Plugin, SoundsAsTheVstEditionWithEveryProgram)
{
    const Stereo input = programme();
    for (int program = 0; program < kNumPrograms; ++program)
    {
        SCOPED_TRACE(kFactoryPresets[program].name);
        Lv2Instance instance(library_, kRate);
        ASSERT_TRUE(instance.valid());
        loadPreset(instance, program);
        EXPECT_TRUE(identical(render(instance, input, 256), renderVst(input, program, {}, 512)));
    }
}

// The values as the user would type them: the decimal number, not its nearest float, is what
// both editions convert.
TEST_F(Lv2Plugin, SoundsAsTheVstEditionWithTypedSettings)
{
    const std::vector<std::pair<int, double>> settings = {
        {kParamThresholdLow, -7.5},  {kParamGainMid, 2.5}, {kParamCrossoverLow, 120.3},
        {kParamCrossoverHigh, 3333}, {kParamAttack, 0.77}, {kParamRelease, 47.4},
        {kParamLimiterGain, 7.5},    {kParamSens, 1}};
    Lv2Instance instance(library_, kRate);
    loadPreset(instance, 1);
    for (const auto& [index, real] : settings)
        instance.setControl(index, float(real));
    const Stereo input = programme();
    EXPECT_TRUE(identical(render(instance, input, 1000, true), renderVst(input, 1, settings, 64)));
}

TEST_F(Lv2Plugin, QuantisesHalfDecibelControlsAsTheKnobsDo)
{
    const Stereo input = programme(6000);
    Lv2Instance onStep(library_, kRate);
    onStep.setControl(kParamLimiterGain, 6.0f);
    onStep.setControl(kParamThresholdLow, -9.0f);
    Lv2Instance between(library_, kRate);
    // The knobs' curve takes a value to the step at or below it.
    between.setControl(kParamLimiterGain, 6.4f);
    between.setControl(kParamThresholdLow, -8.6f);
    EXPECT_TRUE(identical(render(onStep, input, 512), render(between, input, 512)));
}

TEST_F(Lv2Plugin, ReportsTheEnginesDelayAsItsLatency)
{
    Lv2Instance instance(library_, kRate);
    Stereo silence{std::vector<float>(64), std::vector<float>(64)};
    render(instance, silence, 64);
    EXPECT_EQ(instance.latency(), float(kDelay));
}

// A bypass that dropped the delay would shift the track against the host's compensation.
TEST_F(Lv2Plugin, BypassPassesTheInputDelayedByTheReportedLatency)
{
    const Stereo input = programme(3000);
    for (const bool inPlace : {false, true})
    {
        Lv2Instance instance(library_, kRate);
        instance.setControl(kParamBypass, 0.0f);
        const Stereo output = render(instance, input, 97, inPlace);
        for (int i = 0; i < 3000; ++i)
        {
            const float expectedLeft = i < kDelay ? 0.0f : input.left[size_t(i - kDelay)];
            const float expectedRight = i < kDelay ? 0.0f : input.right[size_t(i - kDelay)];
            ASSERT_EQ(output.left[size_t(i)], expectedLeft) << i;
            ASSERT_EQ(output.right[size_t(i)], expectedRight) << i;
        }
    }
}

// Switching the bypass on in the middle of a signal the engine passes unchanged continues
// it seamlessly: both paths are 15 samples late.
TEST_F(Lv2Plugin, SwitchingToBypassKeepsTheSignalInPlace)
{
    Lv2Instance instance(library_, kRate);
    instance.setControl(kParamLimiterGain, 0.0f);
    instance.setControl(kParamOutputGain, 0.0f);
    for (const int index : {kParamThresholdLow, kParamThresholdMid, kParamThresholdHigh})
        instance.setControl(index, 18.0f);
    instance.setControl(kParamSafeClip, 0.0f);
    Stereo input{std::vector<float>(1000), std::vector<float>(1000)};
    for (int i = 0; i < 1000; ++i)
        input.left[size_t(i)] = input.right[size_t(i)] = 0.01f * float(i % 50);
    Stereo first{{input.left.begin(), input.left.begin() + 500},
                 {input.right.begin(), input.right.begin() + 500}};
    Stereo second{{input.left.begin() + 500, input.left.end()},
                  {input.right.begin() + 500, input.right.end()}};
    render(instance, first, 500);
    instance.setControl(kParamBypass, 0.0f);
    const Stereo bypassed = render(instance, second, 500);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(bypassed.left[size_t(i)], input.left[size_t(500 + i - kDelay)]) << i;
}

TEST_F(Lv2Plugin, StartsAfreshOnEveryActivation)
{
    const Stereo input = programme(4000);
    Lv2Instance instance(library_, kRate);
    const Stereo first = render(instance, input, 512);
    instance.activate();
    EXPECT_TRUE(identical(render(instance, input, 512), first));
}

TEST_F(Lv2Plugin, RefusesSampleRatesItsDesignsCannotTake)
{
    for (const double rate : {0.0, 999.0, 2e6, std::nan("")})
        EXPECT_FALSE(Lv2Instance(library_, rate).valid()) << rate;
    EXPECT_TRUE(Lv2Instance(library_, 1000.0).valid());
}

// A quiet sine, bypassed, while the ceiling is switched on and off, twice within a fade: the
// output never steps further from one sample to the next than the sine does and never falls
// silent, and once a fade is over it is the input delayed by exactly the latency reported.
TEST_F(Lv2Plugin, SwitchesTheCeilingSeamlesslyAndReportsTheLatencyOfEachBlock)
{
    constexpr int kBlock = 64;
    const int fade = int(CCeilingStage::kFadeMs * kRate / 1000.0) / kBlock + 1;
    // The blocks at which the ceiling changes.
    const std::vector<std::pair<int, float>> switches = {{4 * fade, -1.0f},
                                                         {8 * fade, -6.5f},
                                                         {12 * fade, -1.0f},
                                                         {12 * fade + fade / 4, -6.5f},
                                                         {12 * fade + fade / 2, -2.0f}};
    const int blocks = 16 * fade;
    const int lookAhead = CTruePeakLimiter(kRate).latencyFrames();

    std::vector<float> sine(size_t(kBlock * blocks));
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = 0.1f * float(std::sin(2.0 * M_PI * 100.0 * double(i) / kRate));
    float ownStep = 0.0f;
    for (size_t i = 1; i < sine.size(); ++i)
        ownStep = std::max(ownStep, std::fabs(sine[i] - sine[i - 1]));

    Lv2Instance instance(library_, kRate);
    instance.setControl(kParamBypass, 0.0f);
    std::vector<float> output;
    size_t next = 0;
    int settledFrom = 0;
    bool on = false;
    for (int block = 0; block < blocks; ++block)
    {
        if (next < switches.size() && switches[next].first == block)
        {
            instance.setCeiling(switches[next].second);
            on = switches[next++].second > -6.0f;
            settledFrom = block + fade;
        }
        Stereo signal{{sine.begin() + block * kBlock, sine.begin() + (block + 1) * kBlock}, {}};
        signal.right = signal.left;
        const Stereo played = render(instance, signal, kBlock);
        output.insert(output.end(), played.left.begin(), played.left.end());
        if (block < settledFrom)
            continue;
        const int latency = kDelay + (on ? lookAhead : 0);
        ASSERT_EQ(instance.latency(), float(latency)) << block;
        for (int i = block * kBlock; i < (block + 1) * kBlock; ++i)
            ASSERT_EQ(output[size_t(i)], i < latency ? 0.0f : sine[size_t(i - latency)]) << i;
    }
    for (size_t i = kDelay + 1; i < output.size(); ++i)
    {
        ASSERT_LE(std::fabs(output[i] - output[i - 1]), ownStep) << i;
        ASSERT_FALSE(std::fabs(output[i]) < 1e-5f && std::fabs(output[i - 1]) < 1e-5f) << i;
    }
}

// The ceiling's stage follows the plug-in's own output unchanged: the VST edition's sound
// through the engine's true-peak limiter.
TEST_F(Lv2Plugin, PlacesTheTruePeakStageAfterTheVstEditionsSound)
{
    const Stereo input = programme();
    Lv2Instance instance(library_, kRate);
    loadPreset(instance, 2);
    instance.setCeiling(-2.0f);
    const Stereo played = render(instance, input, 300);

    Stereo expected = renderVst(input, 2, {}, 512);
    CTruePeakLimiter limiter(kRate);
    limiter.setCeiling(-2.0);
    limiter.process(expected.left.data(), expected.right.data(), expected.left.data(),
                    expected.right.data(), int(expected.left.size()));
    EXPECT_TRUE(identical(played, expected));
}

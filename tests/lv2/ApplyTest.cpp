// The bundle played by lv2apply (Debian's lilv-utils) against vrn07-render with the same
// program and settings: sample for sample the same sound, delayed by the reported latency.
#include "tests/lv2/ToolRun.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/TruePeakLimiter.h"
#include "plugin/lv2/Lv2Ports.h"
#include "plugin/lv2/Lv2Uris.h"
#include "tests/render/RenderRun.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr int kDelay = 15;

using Settings = std::vector<std::pair<int, std::string>>;

// The true peak in dBTP, as libebur128 measures it.
double truePeakDb(const Sound& sound)
{
    ebur128_state* meter =
        ebur128_init(unsigned(sound.channels), unsigned(sound.sampleRate), EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(meter, sound.samples.data(), size_t(sound.frames()));
    double peak = 0.0;
    for (int channel = 0; channel < sound.channels; ++channel)
    {
        double channelPeak = 0.0;
        ebur128_true_peak(meter, unsigned(channel), &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    ebur128_destroy(&meter);
    return 20.0 * std::log10(peak);
}

// A loud stereo programme: a sine with noise, far above full scale at times.
Sound programme()
{
    Sound sound = sineSound(48000, 2, 96000, 97.0, 1.4);
    addNoise(sound, 0.6);
    return sound;
}

class Lv2Apply : public ::testing::Test
{
  protected:
    void SetUp() override { writeSound(folder_.path("in.wav"), programme()); }

    // vrn07-render's output with the program and the settings (real values as typed).
    Sound render(int program, const Settings& settings, bool raw,
                 const std::vector<std::string>& more = {})
    {
        std::vector<std::string> arguments = {"in.wav", "render.wav", "--program",
                                              std::to_string(program)};
        arguments.insert(arguments.end(), more.begin(), more.end());
        for (const auto& [index, value] : settings)
            arguments.insert(arguments.end(),
                             {"--set", std::string(findControlRow(index).name) + "=" + value});
        if (raw)
            arguments.push_back("--raw");
        // A true peak the 16x meter reads over a ceiling exits with 3; the file is written.
        const RunResult run = folder_.run(arguments);
        EXPECT_TRUE(run.status == 0 ||
                    (run.status == 3 && run.err.find("over the ceiling") != std::string::npos))
            << run.err;
        return readSound(folder_.path("render.wav"));
    }

    // lv2apply's output with every control a program sets, then the settings, and the
    // true-peak ceiling when given.
    Sound apply(int program, const Settings& settings, const std::string& ceiling = "")
    {
        std::vector<std::pair<int, std::string>> controls;
        for (const PresetEntry& entry : kFactoryPresets[program].entries)
        {
            if (entry.index < 0)
                break;
            if (lv2::hasPort(entry.index))
                controls.emplace_back(entry.index, std::to_string(entry.value));
        }
        controls.insert(controls.end(), settings.begin(), settings.end());
        std::vector<std::string> command = {"lv2apply", "-i", folder_.path("in.wav"), "-o",
                                            folder_.path("lv2.wav")};
        for (const auto& [index, value] : controls)
            command.insert(command.end(), {"-c", parameterRecord(index).symbol, value});
        if (!ceiling.empty())
            command.insert(command.end(), {"-c", kCeilingRecord.symbol, ceiling});
        command.push_back(lv2::kPluginUri);
        EXPECT_EQ(runTool(command).status, 0);
        return readSound(folder_.path("lv2.wav"));
    }

    ScratchFolder folder_;
};
} // namespace

TEST_F(Lv2Apply, PlaysEveryProgramAsVrn07RenderRawBitForBit)
{
    for (int program = 0; program < kNumPrograms; ++program)
    {
        SCOPED_TRACE(kFactoryPresets[program].name);
        const Sound played = apply(program, {});
        const Sound reference = render(program, {}, true);
        ASSERT_EQ(played.frames(), reference.frames());
        EXPECT_TRUE(played.samples == reference.samples);
    }
}

TEST_F(Lv2Apply, PlaysTypedSettingsAsVrn07RenderRawBitForBit)
{
    const Settings settings = {{kParamThresholdLow, "-8.9"}, {kParamCrossoverLow, "120.3"},
                               {kParamRelease, "33.3"},      {kParamAttack, "0.61"},
                               {kParamOutputGain, "4.5"},    {kParamSens, "1"}};
    const Sound played = apply(1, settings);
    const Sound reference = render(1, settings, true);
    ASSERT_EQ(played.frames(), reference.frames());
    EXPECT_TRUE(played.samples == reference.samples);
}

// What the latency port reports is what vrn07-render takes away for an aligned output.
TEST_F(Lv2Apply, IsLateByItsReportedLatencyAgainstTheAlignedRender)
{
    const Sound played = apply(2, {});
    const Sound aligned = render(2, {}, false);
    ASSERT_EQ(played.frames(), aligned.frames());
    const size_t shift = size_t(kDelay) * 2;
    ASSERT_GT(played.samples.size(), shift);
    EXPECT_TRUE(
        std::equal(played.samples.begin() + shift, played.samples.end(), aligned.samples.begin()));
}

TEST_F(Lv2Apply, HoldsTheTruePeakBelowTheCeiling)
{
    // Without the ceiling the programme's true peak is well above it.
    EXPECT_GT(truePeakDb(apply(2, {})), 0.0);
    for (const char* ceiling : {"-1", "-3.5", "0"})
    {
        SCOPED_TRACE(ceiling);
        const double peak = truePeakDb(apply(2, {}, ceiling));
        EXPECT_LE(peak, std::atof(ceiling));
        // Limited near the ceiling (the stage aims a little below it on noise), not silenced.
        EXPECT_GT(peak, std::atof(ceiling) - 2.0);
    }
}

// vrn07-render's true-peak stage is the same; its raw output keeps the plug-in's delay but
// leaves out the stage's look-ahead, which the LV2 plug-in reports and keeps.
TEST_F(Lv2Apply, PlaysTheCeilingAsVrn07RenderBitForBit)
{
    const Sound played = apply(3, {}, "-1.5");
    const Sound reference = render(3, {}, true, {"--ceiling", "-1.5"});
    const auto lookAhead = size_t(CTruePeakLimiter(played.sampleRate).latencyFrames());
    ASSERT_EQ(played.frames(), reference.frames());
    const size_t shift = lookAhead * 2;
    ASSERT_GT(played.samples.size(), shift);
    EXPECT_TRUE(std::equal(played.samples.begin() + shift, played.samples.end(),
                           reference.samples.begin()));
}

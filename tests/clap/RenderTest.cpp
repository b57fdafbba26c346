// The built VRN-07.clap against vrn07-render with the same program, ceiling and block size:
// sample for sample the same sound, once the latency the plug-in reports beyond the render's
// own delay (the ceiling's look-ahead) is taken away.
#include "tests/clap/ClapHost.h"

#include "core/ParameterValues.h"
#include "engine/FactoryPresets.h"
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kBlockFrames = 512;
// The delay vrn07-render's raw output keeps: the engine's.
constexpr uint32_t kEngineDelay = 15;

class ClapAgainstRender : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        input_ = sineSound(48000, 2, 96000, 97.0, 1.4);
        addNoise(input_, 0.6);
        writeSound(folder_.path("in.wav"), input_);
    }

    Sound render(int program, std::optional<double> ceiling)
    {
        std::vector<std::string> arguments = {"in.wav",
                                              "render.wav",
                                              "--raw",
                                              "--program",
                                              std::to_string(program),
                                              "--block",
                                              std::to_string(kBlockFrames)};
        if (ceiling)
            arguments.insert(arguments.end(), {"--ceiling", std::to_string(*ceiling)});
        // A true peak the 16x meter reads over a ceiling exits with 3; the file is written.
        const RunResult run = folder_.run(arguments);
        EXPECT_TRUE(run.status == 0 || run.status == 3) << run.err;
        return readSound(folder_.path("render.wav"));
    }

    // The plug-in's output and the latency it reported.
    std::pair<std::vector<float>, uint32_t> play(int program, std::optional<double> ceiling)
    {
        CParameterValues values;
        values.storeProgram(program);
        if (ceiling)
            values.storeReal(kParamCeiling, *ceiling);
        ClapHost host(loadClapEntry(clapPluginPath()));
        EXPECT_NE(host.plugin(), nullptr);
        EXPECT_TRUE(host.loadState(values.saveText()));
        EXPECT_TRUE(host.activate(input_.sampleRate, kBlockFrames));
        return {host.play(input_.samples, kBlockFrames), host.latency()};
    }

    ScratchFolder folder_;
    Sound input_;
};
} // namespace

TEST_F(ClapAgainstRender, PlaysEveryProgramWithAndWithoutTheCeilingBitForBit)
{
    for (int program = 0; program < kNumPrograms; ++program)
    {
        for (const std::optional<double> ceiling : {std::optional<double>{}, std::optional(-1.0)})
        {
            SCOPED_TRACE(std::string(kFactoryPresets[program].name) + (ceiling ? " -1 dBTP" : ""));
            const auto [played, latency] = play(program, ceiling);
            const Sound reference = render(program, ceiling);
            ASSERT_EQ(played.size(), reference.samples.size());
            ASSERT_GE(latency, kEngineDelay);
            const size_t shift = size_t(latency - kEngineDelay) * 2;
            EXPECT_EQ(shift > 0, ceiling.has_value());
            EXPECT_TRUE(
                std::equal(played.begin() + long(shift), played.end(), reference.samples.begin()));
        }
    }
}

// Shared pieces of the audio path tests: stereo buffers, test signals and an in-process
// instance created through the plug-in's own entry point.
#pragma once

#include "engine/ControlTable.h"
#include "engine/LimiterEngine.h"
#include "plugin/vst2/AKkk.h"
#include "tools/host/HostHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

struct StereoBuffer
{
    explicit StereoBuffer(int frames = 0) : left(size_t(frames)), right(size_t(frames)) {}
    int frames() const { return int(left.size()); }
    float* channels[2] = {nullptr, nullptr};
    float** pointers(int offset = 0)
    {
        channels[0] = left.data() + offset;
        channels[1] = right.data() + offset;
        return channels;
    }
    std::vector<float> left;
    std::vector<float> right;
};

// Uniform noise in [-amplitude, amplitude], the same for a given seed.
inline StereoBuffer noise(int frames, float amplitude, unsigned seed = 1)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> sample(-amplitude, amplitude);
    StereoBuffer buffer(frames);
    for (int i = 0; i < frames; ++i)
    {
        buffer.left[size_t(i)] = sample(generator);
        buffer.right[size_t(i)] = sample(generator);
    }
    return buffer;
}

class InProcessPlugin : public ::testing::Test
{
  protected:
    void SetUp() override { plugin_ = create(); }

    std::unique_ptr<PluginInstance> create()
    {
        auto plugin = std::make_unique<PluginInstance>(host_.create(VSTPluginMain));
        EXPECT_NE(plugin->effect(), nullptr);
        plugin->dispatch(effMainsChanged, 0, 1);
        return plugin;
    }
    static AKkk& effectOf(PluginInstance& plugin)
    {
        return *static_cast<AKkk*>(plugin.effect()->object);
    }
    AKkk& effect() { return effectOf(*plugin_); }

    // Sets a parameter from its real value, as the host would after its own conversion.
    void setReal(int index, double real) { setReal(*plugin_, index, real); }
    static void setReal(PluginInstance& plugin, int index, double real)
    {
        plugin.setParameter(index, float(realToNormalized(real, index)));
    }

    // Runs the whole input through the plug-in in blocks of blockFrames.
    StereoBuffer render(StereoBuffer input, int blockFrames)
    {
        return render(*plugin_, input, blockFrames);
    }
    static StereoBuffer render(PluginInstance& plugin, StereoBuffer& input, int blockFrames)
    {
        StereoBuffer output(input.frames());
        for (int offset = 0; offset < input.frames(); offset += blockFrames)
        {
            const int n = std::min(blockFrames, input.frames() - offset);
            float* in[2] = {input.left.data() + offset, input.right.data() + offset};
            float* out[2] = {output.left.data() + offset, output.right.data() + offset};
            plugin.process(in, out, n);
        }
        return output;
    }

    HostHarness host_;
    std::unique_ptr<PluginInstance> plugin_;
};

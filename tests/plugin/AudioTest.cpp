#include "tests/plugin/PluginFixture.h"

#include <cmath>
#include <vector>

using BinaryAudio = BuiltPlugin;

namespace
{
std::vector<float> impulseAt(int position, int frames, float height)
{
    std::vector<float> signal(size_t(frames), 0.0f);
    signal[size_t(position)] = height;
    return signal;
}
} // namespace

TEST_F(BinaryAudio, DelaysByFifteenSamplesAndHoldsTheCeiling)
{
    auto plugin = createInstance();
    plugin->dispatch(effMainsChanged, 0, 1);
    std::vector<float> left = impulseAt(10, 256, 0.01f);
    std::vector<float> right = impulseAt(10, 256, 50.0f);
    std::vector<float> outLeft(256), outRight(256);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    plugin->process(in, out, 256);

    int loudest = 0;
    for (int i = 0; i < 256; ++i)
    {
        EXPECT_LE(std::fabs(outRight[size_t(i)]), 0.99993896484375f);
        if (std::fabs(outLeft[size_t(i)]) > std::fabs(outLeft[size_t(loudest)]))
            loudest = i;
    }
    EXPECT_EQ(loudest, 25);
}

TEST_F(BinaryAudio, BypassesBitForBit)
{
    auto plugin = createInstance();
    plugin->setParameter(13, 0.0f);
    std::vector<float> left = impulseAt(3, 64, 7.5f), right = impulseAt(9, 64, -0.25f);
    std::vector<float> outLeft(64), outRight(64);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    plugin->process(in, out, 64);
    EXPECT_EQ(outLeft, left);
    EXPECT_EQ(outRight, right);
}

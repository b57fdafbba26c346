#include "tests/plugin/PluginFixture.h"

#include <cmath>
#include <cstring>
#include <limits>

using Parameters = BuiltPlugin;

namespace
{
std::string parameterName(PluginInstance& plugin, int index)
{
    return plugin.text(effGetParamName, index);
}
} // namespace

TEST_F(Parameters, NameOnlyTheHostFacingOnes)
{
    auto plugin = createInstance();
    EXPECT_EQ(parameterName(*plugin, 6), "");
    EXPECT_EQ(parameterName(*plugin, 0), "");
    EXPECT_EQ(parameterName(*plugin, 12), "");
    EXPECT_EQ(parameterName(*plugin, 13), "Bypass (local)");
    EXPECT_EQ(parameterName(*plugin, 14), "Threshold Low");
    EXPECT_EQ(parameterName(*plugin, 26), "SafeClip on/off");
    EXPECT_EQ(parameterName(*plugin, 27), "Sens on/off");
    EXPECT_EQ(parameterName(*plugin, 28), "(Dummy)");
    EXPECT_EQ(parameterName(*plugin, -1), "(Dummy)");
}

TEST_F(Parameters, ResetFiresFromNinetyPercentAndIsNeverStored)
{
    auto plugin = createInstance();
    plugin->setParameter(14, 0.9f);
    plugin->setParameter(12, 0.5f);
    EXPECT_FLOAT_EQ(plugin->getParameter(14), 0.9f);
    plugin->setParameter(12, 0.95f);
    EXPECT_FLOAT_EQ(plugin->getParameter(14), 0.5f);
    EXPECT_EQ(plugin->getParameter(12), 0.0f);
    EXPECT_EQ(host_.count(audioMasterAutomate), 0) << "a reset reports nothing";
}

TEST_F(Parameters, KeepTheReservedIndicesAsTheyAre)
{
    auto plugin = createInstance();
    plugin->setParameter(3, 0.7f);
    EXPECT_FLOAT_EQ(plugin->getParameter(3), 0.7f);
    plugin->setParameter(1, 1.0f);
    EXPECT_EQ(plugin->getParameter(1), 0.0f);
    plugin->setParameter(2, 1.0f);
    EXPECT_EQ(plugin->getParameter(2), 0.0f);
}

TEST_F(Parameters, IgnoreIndicesOutOfRange)
{
    auto plugin = createInstance();
    for (int index : {-1, 28, 1 << 30})
    {
        plugin->setParameter(index, 0.3f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
    }
}

TEST_F(Parameters, IgnoreNonFiniteValuesAndClampTheRest)
{
    auto plugin = createInstance();
    const float before = plugin->getParameter(24);
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()})
    {
        plugin->setParameter(24, bad);
        EXPECT_EQ(plugin->getParameter(24), before);
    }
    plugin->setParameter(24, 100.0f);
    EXPECT_EQ(plugin->getParameter(24), 1.0f);
    plugin->setParameter(24, -3.0f);
    EXPECT_EQ(plugin->getParameter(24), 0.0f);
}

namespace
{
// The display and unit a host shows for a parameter set from its real value.
std::string hostView(PluginInstance& plugin, int index, double real)
{
    plugin.setParameter(index, float(realToNormalized(real, index)));
    return plugin.text(effGetParamDisplay, index) + "|" + plugin.text(effGetParamLabel, index);
}
} // namespace

TEST_F(Parameters, ShowHostsTheKnobsValueAndUnit)
{
    auto plugin = createInstance();
    EXPECT_EQ(hostView(*plugin, 14, 11.5), "11.5|dB");
    EXPECT_EQ(hostView(*plugin, 17, -18), "-18.0|dB");
    EXPECT_EQ(hostView(*plugin, 21, 1235), "1.24|kHz");
    EXPECT_EQ(hostView(*plugin, 21, 20000), "(off)|");
    EXPECT_EQ(hostView(*plugin, 20, 31), "31.0|Hz");
    EXPECT_EQ(hostView(*plugin, 20, 10), "(off)|");
    EXPECT_EQ(hostView(*plugin, 22, 0.5), "500|us");
    EXPECT_EQ(hostView(*plugin, 23, 47.4), "47.4|ms");
    EXPECT_EQ(hostView(*plugin, 24, 3), "3.0|dB");
    EXPECT_EQ(hostView(*plugin, 13, 1), "active|");
    EXPECT_EQ(hostView(*plugin, 13, 0), "bypass|");
    EXPECT_EQ(hostView(*plugin, 26, 1), "on|");
    EXPECT_EQ(hostView(*plugin, 27, 0), "off|");
}

TEST_F(Parameters, WriteHostTextsThatFitTheInterfacesEightBytes)
{
    auto plugin = createInstance();
    for (int index = 13; index < 28; ++index)
    {
        for (float normalized : {0.0f, 0.01f, 0.37f, 0.5f, 0.999f, 1.0f})
        {
            plugin->setParameter(index, normalized);
            for (VstInt32 opcode : {effGetParamDisplay, effGetParamLabel})
            {
                char text[64];
                std::memset(text, 'x', sizeof text);
                plugin->dispatch(opcode, index, 0, text);
                EXPECT_LT(strnlen(text, sizeof text), 8u) << index << " " << normalized;
            }
            EXPECT_FALSE(plugin->text(effGetParamDisplay, index).empty()) << index;
        }
    }
    // The reserved and the editor-only indices answer nothing, as before.
    for (int index : {-1, 0, 2, 12, 28})
    {
        char text[16] = "unchanged";
        plugin->dispatch(effGetParamDisplay, index, 0, text);
        EXPECT_STREQ(text, "unchanged") << index;
    }
}

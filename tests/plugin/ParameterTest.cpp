#include "tests/plugin/PluginFixture.h"

#include <cmath>
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
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
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

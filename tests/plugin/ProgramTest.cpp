#include "tests/plugin/PluginFixture.h"

#include <string>

using Programs = BuiltPlugin;

TEST_F(Programs, ListTheFiveFactoryNames)
{
    auto plugin = createInstance();
    const char* names[] = {"Reset", "Recommended", "KickPunch", "SingleBand", "SimpleMaximize"};
    for (int index = 0; index < 5; ++index)
    {
        char text[64] = {};
        EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, index, 0, text), 1);
        EXPECT_STREQ(text, names[index]);
    }
    char untouched[8] = "keep";
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 5, 0, untouched), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, -1, 0, untouched), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(Programs, LoadTheirPresetAndLeaveTheViewerAlone)
{
    auto plugin = createInstance();
    plugin->setParameter(4, 0.25f);
    plugin->dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 3);
    EXPECT_FLOAT_EQ(plugin->getParameter(20), 0.0f) << "low crossover at 10 Hz";
    EXPECT_FLOAT_EQ(plugin->getParameter(21), 1.0f) << "high crossover at 20000 Hz";
    EXPECT_FLOAT_EQ(plugin->getParameter(4), 0.25f);
    EXPECT_EQ(host_.count(audioMasterAutomate), 0) << "a program change reports nothing";
}

TEST_F(Programs, ReloadTheirPresetWhenSelectedAgain)
{
    auto plugin = createInstance();
    plugin->dispatch(effSetProgram, 0, 1);
    plugin->setParameter(14, 0.9f);
    plugin->dispatch(effSetProgram, 0, 2);
    plugin->dispatch(effSetProgram, 0, 1);
    EXPECT_FLOAT_EQ(plugin->getParameter(14), float(realToNormalized(-9, 14)));
}

TEST_F(Programs, NameAnInitProgramAfterItsNumber)
{
    auto plugin = createInstance();
    plugin->dispatch(effSetProgram, 0, 2);
    char init[] = "Init";
    plugin->dispatch(effSetProgramName, 0, 0, init);
    EXPECT_EQ(plugin->text(effGetProgramName), "Init 3");
    EXPECT_EQ(plugin->text(effGetProgramNameIndexed, 2), "Init");
}

TEST_F(Programs, KeepTheFirst23CharactersOfALongName)
{
    auto plugin = createInstance();
    std::string longName(300, 'n');
    longName += "end";
    plugin->dispatch(effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(plugin->text(effGetProgramName), std::string(23, 'n'));
    EXPECT_EQ(plugin->text(effGetProgramNameIndexed, 0), std::string(23, 'n'));
    EXPECT_EQ(plugin->text(effGetProgramNameIndexed, 1), "Recommended");
}

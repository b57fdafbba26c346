#include "tests/plugin/PluginFixture.h"

#include <cstring>

using EntryPoint = BuiltPlugin;

TEST_F(EntryPoint, RefusesAHostThatDoesNotAnswerItsVersion)
{
    host_.setAnswer(audioMasterVersion, 0);
    EXPECT_EQ(host_.create(library_->entry()), nullptr);
    ASSERT_EQ(host_.count(audioMasterVersion), 1);
    const HostCall call = host_.calls().front();
    EXPECT_EQ(call.effect, nullptr);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.opt, 0.0f);
}

TEST_F(EntryPoint, MainIsTheSameFunctionAsVSTPluginMain)
{
    EXPECT_EQ(library_->entry("main"), library_->entry("VSTPluginMain"));
}

TEST_F(EntryPoint, HandsOutARecordDescribingTheEffect)
{
    auto plugin = createInstance();
    const AEffect& effect = *plugin->effect();
    EXPECT_EQ(effect.magic, 0x56737450);
    EXPECT_EQ(effect.numPrograms, 5);
    EXPECT_EQ(effect.numParams, 28);
    EXPECT_EQ(effect.numInputs, 2);
    EXPECT_EQ(effect.numOutputs, 2);
    EXPECT_EQ(effect.flags, 0x11);
    EXPECT_EQ(effect.uniqueID, 0x30713634);
    EXPECT_EQ(effect.version, 1);
    EXPECT_EQ(effect.initialDelay, 0);
    EXPECT_EQ(effect.ioRatio, 1.0f);
    EXPECT_EQ(effect.resvd1, 0);
    EXPECT_EQ(effect.realQualities, 0);
    EXPECT_NE(effect.dispatcher, nullptr);
    EXPECT_NE(effect.process, nullptr);
    EXPECT_NE(effect.processReplacing, nullptr);
    EXPECT_NE(effect.processDoubleReplacing, nullptr);
    const char zeros[sizeof(effect.future)] = {};
    EXPECT_EQ(std::memcmp(effect.future, zeros, sizeof(zeros)), 0);
}

TEST_F(EntryPoint, StartsFromTheDefaultsInProgramReset)
{
    auto plugin = createInstance();
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
    EXPECT_EQ(plugin->text(effGetProgramName), "Reset");
    for (int index = 4; index < 28; ++index)
    {
        if (index == 12)
            continue;
        const double expected = realToNormalized(findControlRow(index).defaultValue, index);
        EXPECT_FLOAT_EQ(plugin->getParameter(index), float(expected)) << "parameter " << index;
    }
    EXPECT_EQ(host_.count(audioMasterAutomate), 0);
}

TEST_F(EntryPoint, KeepsTwoInstancesApart)
{
    auto first = createInstance();
    auto second = createInstance();
    ASSERT_NE(first->effect(), second->effect());
    first->setParameter(14, 0.9f);
    first->dispatch(effSetProgram, 0, 2);
    char name[] = "Mine";
    first->dispatch(effSetProgramName, 0, 0, name);

    EXPECT_FLOAT_EQ(first->getParameter(14), float(realToNormalized(-9, 14)));
    EXPECT_FLOAT_EQ(second->getParameter(14), 0.5f);
    EXPECT_EQ(second->dispatch(effGetProgram), 0);
    EXPECT_EQ(second->text(effGetProgramNameIndexed, 2), "KickPunch");
    EXPECT_EQ(first->text(effGetProgramName), "Mine");
}

TEST_F(EntryPoint, CloseDestroysTheInstanceAndAnswersOne)
{
    auto plugin = createInstance();
    EXPECT_EQ(plugin->close(), 1);
}

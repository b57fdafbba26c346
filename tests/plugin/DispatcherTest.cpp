#include "tests/plugin/PluginFixture.h"

#include <cstring>

using Dispatcher = BuiltPlugin;

TEST_F(Dispatcher, NamesTheEffectItsVendorAndProduct)
{
    auto plugin = createInstance();
    char name[64];
    std::memset(name, 'x', sizeof(name));
    EXPECT_EQ(plugin->dispatch(effGetEffectName, 0, 0, name), 1);
    EXPECT_STREQ(name, "QZ [VRN-07] Limiter/Maximizer");
    EXPECT_EQ(name[30], 'x') << "writes the name and its terminator only";
    EXPECT_EQ(plugin->text(effGetVendorString), "[Norvik] Tesmora.K");
    EXPECT_EQ(plugin->text(effGetProductString), "VRN-07");
}

TEST_F(Dispatcher, AnswersTheFixedQueries)
{
    auto plugin = createInstance();
    EXPECT_EQ(plugin->dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(plugin->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin->dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(plugin->dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(plugin->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(plugin->dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(plugin->dispatch(effGetTailSize), 0);
    EXPECT_EQ(plugin->dispatch(effGetChunk), 0);
}

TEST_F(Dispatcher, CanDoNothing)
{
    auto plugin = createInstance();
    for (const char* what : {"receiveVstMidiEvent", "sendVstEvents", "bypass", "", "plugAsSend"})
        EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>(what)), 0) << what;
}

TEST_F(Dispatcher, LetsEveryIndexBeAutomated)
{
    auto plugin = createInstance();
    for (int index : {-1, 0, 1, 12, 27, 28, 1000})
        EXPECT_EQ(plugin->dispatch(effCanBeAutomated, index), 1) << index;
}

TEST_F(Dispatcher, LeavesTheLabelAndDisplayBuffersOfEditorOnlyParametersUntouched)
{
    auto plugin = createInstance();
    for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay})
    {
        for (int index : {4, 12})
        {
            char buffer[32];
            std::memset(buffer, 0x5a, sizeof(buffer));
            EXPECT_EQ(plugin->dispatch(opcode, index, 0, buffer), 0);
            for (char c : buffer)
                ASSERT_EQ(c, 0x5a);
        }
        EXPECT_EQ(plugin->dispatch(opcode, 14, 0, nullptr), 0);
    }
}

TEST_F(Dispatcher, ClearsBothSpeakerArrangementPointers)
{
    auto plugin = createInstance();
    void* input = &input;
    void* output = &output;
    EXPECT_EQ(
        plugin->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output),
        0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, IgnoresAProgramNumberOutOfRange)
{
    auto plugin = createInstance();
    plugin->dispatch(effSetProgram, 0, 2);
    for (VstIntPtr program : {VstIntPtr(-1), VstIntPtr(5), VstIntPtr(1) << 40})
    {
        plugin->dispatch(effSetProgram, 0, program);
        EXPECT_EQ(plugin->dispatch(effGetProgram), 2);
    }
}

TEST_F(Dispatcher, GivesTheEditorRectangleOnlyToAPointer)
{
    auto plugin = createInstance();
    ERect* rect = nullptr;
    EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_NE(rect, nullptr);
    EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, nullptr), 0);
}

// Writing opcodes check their pointer; nothing else may crash on a null or an empty
// buffer either. The sanitizer build turns any stray write into a failure.
TEST_F(Dispatcher, SurvivesEveryOpcodeWithANullPointerAndWithAnEmptyBuffer)
{
    auto plugin = createInstance();
    for (VstInt32 opcode = 0; opcode < 256; ++opcode)
    {
        if (opcode == effClose || opcode == effEditOpen)
            continue;
        plugin->dispatch(opcode, 0, 0, nullptr, 0.0f);
        alignas(16) char buffer[256] = {};
        plugin->dispatch(opcode, 0, 0, buffer, 0.0f);
    }
    EXPECT_EQ(plugin->text(effGetProductString), "VRN-07");
}

TEST_F(Dispatcher, AnswersZeroToWritingOpcodesWithoutAPointer)
{
    auto plugin = createInstance();
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamName, effEditGetRect,
                            effGetProgramNameIndexed, effGetEffectName, effGetVendorString,
                            effGetProductString, effGetSpeakerArrangement})
        EXPECT_EQ(plugin->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(plugin->text(effGetProgramName), "Reset");
}

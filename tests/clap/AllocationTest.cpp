// process() must not allocate, also while the host changes every parameter inside the blocks,
// the ceiling switches on and off, and the editor's changes and gestures go out as events:
// every operator new of the process is counted (the plug-in is linked in for that).
#include "tests/clap/ClapHost.h"

#include "engine/ParameterRecords.h"
#include "plugin/clap/ClapParameters.h"
#include "plugin/clap/ClapPlugin.h"
#include "tests/audio/CountingAllocator.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" const clap_plugin_entry_t clap_entry;

TEST(ClapAllocations, NoneWhileProcessingWithEveryParameterAndTheEditorChanging)
{
    ClapHost host(&clap_entry);
    ASSERT_NE(host.plugin(), nullptr);
    ASSERT_TRUE(host.activate(48000, 256));
    ClapPlugin* instance = ClapPlugin::of(host.plugin());
    instance->published().editorOpened();
    constexpr uint32_t kFrames = 256;
    std::vector<float> left(kFrames, 0.5f), right(kFrames, -0.7f);
    std::vector<std::vector<clap_event_param_value_t>> blocks(200);
    for (size_t block = 0; block < blocks.size(); ++block)
        for (uint32_t position = 0; position < clap_parameters::kCount; ++position)
        {
            const clap_id id = clap_parameters::idAt(position);
            clap_param_info_t info{};
            clap_parameters::describe(id, info);
            const double where = double((block * 7 + position * 3) % 11) / 10.0;
            blocks[block].push_back(
                valueEvent(id, info.min_value + where * (info.max_value - info.min_value),
                           (position * 16) % kFrames));
        }

    allocationCount::start();
    for (size_t block = 0; block < blocks.size(); ++block)
    {
        const int index = kParamThresholdLow + int(block % 4);
        instance->editorChanges().gestureBegins(index);
        instance->values().storeNormalized(index, double(block % 10) / 10.0);
        instance->editorChanges().changed(index);
        instance->editorChanges().changed(kParamViewerLevel);
        instance->editorChanges().gestureEnds(index);
        host.process(left.data(), right.data(), left.data(), right.data(), kFrames, blocks[block]);
    }
    EXPECT_EQ(allocationCount::stop(), 0);
    instance->published().editorClosed();
    EXPECT_GE(host.outputs().size(), 3 * blocks.size()) << "each gesture went out";
    host.deactivate();
}

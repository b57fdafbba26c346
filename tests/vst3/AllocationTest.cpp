// The VST3 effect's process() must not allocate, also while the host's queues change every
// control at offsets inside the blocks, switch the true-peak stage, choose programs, and the
// editor's changes come in between: every operator new of the process is counted.
#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"
#include "tests/audio/CountingAllocator.h"
#include "tests/vst3/Vst3Host.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Vst3Allocations, NoneWhileProcessingWithEveryParameterChanging)
{
    auto* effect = new Vst3Effect;
    vst3::IComponent* component = effect;
    vst3::SpeakerArrangement stereo = vst3::kStereo, also = vst3::kStereo;
    vst3::ProcessSetup setup{0, vst3::kSample32, 256, 48000.0};
    ASSERT_EQ(effect->setBusArrangements(&stereo, 1, &also, 1), vst3::kResultOk);
    ASSERT_EQ(effect->setupProcessing(setup), vst3::kResultOk);
    ASSERT_EQ(effect->setActive(1), vst3::kResultOk);
    effect->published().editorOpened();
    constexpr int kFrames = 256;
    std::vector<float> left(kFrames, 0.5f), right(kFrames, -0.7f);
    ParameterChanges changes;

    allocationCount::start();
    for (int block = 0; block < 200; ++block)
    {
        changes.clear();
        for (int id = kFirstHostControl; id <= kParamCeiling; ++id)
            changes.add(vst3::ParamID(id), (block * 31 + id * 7) % kFrames,
                        double((block * 7 + id * 3) % 11) / 10.0);
        if (block % 50 == 49)
            changes.add(vst3_parameters::kProgramId, 17, double(block % 5) / 4);
        effect->editorChange(kParamViewerMode, block % 2);
        processBlock(*effect, left.data(), right.data(), kFrames, &changes);
    }
    EXPECT_EQ(allocationCount::stop(), 0);
    component->release();
}

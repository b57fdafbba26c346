// The LV2 instance's run() must not allocate, also while the host changes every control and
// switches the true-peak stage on and off: every operator new of the process is counted.
#include "plugin/lv2/Lv2Effect.h"
#include "plugin/lv2/Lv2Ports.h"
#include "tests/audio/CountingAllocator.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Lv2Allocations, NoneWhileRunningWithEveryControlAndTheCeilingChanging)
{
    Lv2Effect effect(48000, nullptr);
    constexpr int kFrames = 256;
    std::vector<float> left(kFrames, 0.5f), right(kFrames, -0.7f);
    float controls[lv2::kParameterPorts] = {};
    float latency = 0.0f;
    float ceiling = -6.5f;
    effect.connectPort(lv2::kPortInputLeft, left.data());
    effect.connectPort(lv2::kPortInputRight, right.data());
    effect.connectPort(lv2::kPortOutputLeft, left.data());
    effect.connectPort(lv2::kPortOutputRight, right.data());
    effect.connectPort(lv2::kPortLatency, &latency);
    effect.connectPort(lv2::kPortTruePeakCeiling, &ceiling);
    for (int i = 0; i < lv2::kParameterPorts; ++i)
        effect.connectPort(lv2::kFirstParameterPort + uint32_t(i), &controls[i]);
    effect.activate();
    effect.published().editorOpened();

    allocationCount::start();
    for (int block = 0; block < 200; ++block)
    {
        // Each control somewhere else in its range every block, the bypass and the ceiling
        // switching now and then.
        for (int i = 0; i < lv2::kParameterPorts; ++i)
        {
            const ControlRow& row = findControlRow(lv2::kFirstPortParameter + i);
            const double where = double((block * 7 + i * 3) % 11) / 10.0;
            controls[i] = float(row.minimum + where * (row.maximum - row.minimum));
        }
        ceiling = block % 5 == 0 ? -6.5f : -1.0f - float(block % 3);
        effect.run(kFrames);
    }
    EXPECT_EQ(allocationCount::stop(), 0);
    EXPECT_GT(latency, 15.0f) << "the last blocks ran with the ceiling on";
}

// One thread automates every parameter, another opens, ticks and closes the editor, a third
// processes audio. Under ThreadSanitizer this finds any view touched off its own thread.
#include "tests/editor/EditorFixture.h"

#include <atomic>
#include <random>
#include <thread>
#include <vector>

TEST_F(HeadlessEditor, SurvivesAutomationAndAudioWhileOpeningAndClosing)
{
    std::atomic<bool> running{true};
    std::thread automation(
        [this, &running]
        {
            std::mt19937 generator(3);
            std::uniform_real_distribution<float> value(0.0f, 1.0f);
            for (int round = 0; running && round < 20000; ++round)
            {
                const int index = 4 + round % 24;
                if (index != kParamReset && index != kParamInfoDocument)
                    plugin_->setParameter(index, value(generator));
            }
        });
    std::thread audio(
        [this, &running]
        {
            std::vector<float> left(512, 0.5f), right(512, -0.4f), outLeft(512), outRight(512);
            float* in[2] = {left.data(), right.data()};
            float* out[2] = {outLeft.data(), outRight.data()};
            for (int block = 0; running && block < 3000; ++block)
                plugin_->process(in, out, 512);
        });

    for (int cycle = 0; cycle < 20; ++cycle)
    {
        ASSERT_TRUE(open());
        for (int tick = 0; tick < 5; ++tick)
            idle();
        close();
    }
    running = false;
    automation.join();
    audio.join();
}

// Parameters change on two host threads while a third processes audio; run under
// ThreadSanitizer, this finds any unsynchronised shared state.
#include "tests/audio/AudioFixture.h"

#include <atomic>
#include <cmath>
#include <thread>

TEST(Threads, ParameterChangesRaceSafelyWithProcessing)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    ASSERT_NE(plugin.effect(), nullptr);
    static_cast<AKkk*>(plugin.effect()->object)->editorOpened();
    std::atomic<bool> running{true};

    auto automate = [&plugin, &running](unsigned seed)
    {
        std::mt19937 generator(seed);
        std::uniform_int_distribution<int> index(4, 27);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        for (int i = 0; i < 4000 && running; ++i)
        {
            const int parameter = index(generator);
            if (parameter != 12 && parameter != 13)
                plugin.setParameter(parameter, value(generator));
        }
    };
    std::thread first(automate, 1u);
    std::thread second(automate, 2u);

    StereoBuffer input = noise(256, 1.5f);
    StereoBuffer output(256);
    bool finite = true;
    for (int block = 0; block < 400; ++block)
    {
        plugin.process(input.pointers(), output.pointers(), 256);
        for (float sample : output.left)
            finite = finite && std::isfinite(sample);
    }
    running = false;
    first.join();
    second.join();
    EXPECT_TRUE(finite);
}

TEST(Threads, ProgramChangesRaceSafelyWithProgramQueries)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    ASSERT_NE(plugin.effect(), nullptr);

    std::thread changer(
        [&plugin]
        {
            for (int i = 0; i < 2000; ++i)
                plugin.dispatch(effSetProgram, 0, i % 5);
        });
    bool inRange = true;
    for (int i = 0; i < 2000; ++i)
    {
        const VstIntPtr program = plugin.dispatch(effGetProgram);
        inRange = inRange && program >= 0 && program < 5;
        inRange = inRange && !plugin.text(effGetProgramName).empty();
    }
    changer.join();
    EXPECT_TRUE(inRange);
}

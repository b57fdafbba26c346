#include "engine/BandLimiter.h"
#include "engine/Crossover.h"
#include "engine/SafeClip.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

// The stages' setters from two threads while a third processes chunks, as a host may do.
// Under ThreadSanitizer any unsynchronised access between them is reported.
TEST(StageSetters, RunWhileTheAudioThreadProcesses)
{
    CCrossover crossover;
    CBandLimiter limiter;
    CSafeClip clip;
    std::atomic<bool> stop{false};
    bool finite = true;

    std::thread audio(
        [&]
        {
            constexpr int kChunk = 64;
            std::vector<float> in(kChunk);
            std::vector<float> left(kChunk);
            std::vector<float> right(kChunk);
            for (unsigned phase = 0; !stop.load();)
            {
                for (float& x : in)
                {
                    x = static_cast<float>(std::sin(0.05 * phase++));
                }
                crossover.process(in.data(), in.data(), left.data(), right.data(), kChunk);
                limiter.pullSettings();
                clip.pullSettings();
                for (int i = 0; i < kChunk; ++i)
                {
                    const double g = limiter.process(std::fabs(left[i])) * limiter.bandGain();
                    const StereoSample y = clip.process(g * left[i], g * right[i]);
                    finite = finite && std::isfinite(y.left) && std::isfinite(y.right);
                }
            }
        });
    std::thread host(
        [&]
        {
            for (int i = 0; i < 5000; ++i)
            {
                crossover.setCrossover(100.0 + i % 2000);
                limiter.setThreshold(-(i % 18));
                limiter.setGain(i % 12);
            }
        });
    std::thread editor(
        [&]
        {
            for (int i = 0; i < 5000; ++i)
            {
                crossover.setCutoff(500.0 + i % 5000);
                limiter.setAttack(0.5 + i % 20);
                limiter.setRelease(5.0 + i % 500);
                clip.setEnabled(i % 2 == 0);
            }
        });
    host.join();
    editor.join();
    stop.store(true);
    audio.join();
    EXPECT_TRUE(finite);
}

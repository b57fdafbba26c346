// The audio thread feeding while the editor reduces, resets and reads, and another thread
// clears: run under ThreadSanitizer, these must show no data race, and the values the editor
// sees must stay usable.
#include "analysis/SpectrumAnalyzer.h"
#include "analysis/SpectrumReducer.h"
#include "analysis/WaveformCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace
{

constexpr int kBlocks = 400;
constexpr int kBlockFrames = 512;

TEST(AnalysisThreads, AnalyserFeedsWhileTheEditorReducesAndAnotherThreadClears)
{
    CSpectrumAnalyzer analyzer(44100);
    CSpectrumReducer reducer({67, 27, 338, 114, -65.0f, -17.0f}, 44100);
    std::vector<float> block(kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i)
        block[i] = static_cast<float>(std::sin(0.05 * i));
    std::atomic<bool> done{false};

    std::thread audio(
        [&]
        {
            for (int b = 0; b < kBlocks; ++b)
                analyzer.feed(block.data(), block.data(), kBlockFrames);
            done = true;
        });
    std::thread parameters(
        [&]
        {
            while (!done)
            {
                analyzer.clear();
                analyzer.setSampleRate(48000);
                std::this_thread::yield();
            }
        });
    int reductions = 0;
    while (!done)
        reductions += reducer.updateCurve(analyzer, SpectrumCurve::source) ? 1 : 0;
    audio.join();
    parameters.join();
    // The audio thread may finish before the first reduction; the last data is still there.
    reductions += reducer.updateCurve(analyzer, SpectrumCurve::source) ? 1 : 0;

    EXPECT_GT(reductions, 0);
    for (float level : reducer.levels(SpectrumCurve::source))
        ASSERT_TRUE(std::isfinite(level));
}

TEST(AnalysisThreads, CaptureRunsWhileTheViewResetsAndReads)
{
    CWaveformCapture capture(44100);
    capture.reset(338);
    capture.setTime(200.0f);
    std::atomic<bool> done{false};

    std::thread audio(
        [&]
        {
            for (int i = 0; i < kBlocks * kBlockFrames; ++i)
            {
                capture.advance();
                capture.offer(Trace::source, 0.5f);
                capture.offer(Trace::limited, 0.25f);
                capture.offer(Trace::output, 0.125f);
            }
            done = true;
        });
    int reads = 0;
    // At least one round, however soon the audio thread is done.
    do
    {
        const int columns = (reads % 2 == 0) ? 338 : 200;
        capture.reset(columns);
        capture.setTime(reads % 3 == 0 ? 200.0f : 5000.0f);
        capture.setSampleRate(reads % 5 == 0 ? 48000 : 44100);
        for (int i = 0; i < capture.columns(); ++i)
        {
            const float v = capture.value(Trace::source, i);
            ASSERT_TRUE(v == 0.0f || v == 0.5f) << v;
        }
        ++reads;
    } while (!done);
    audio.join();
    EXPECT_GT(reads, 0);
}

} // namespace

// The analyser's 4096-point transform against FFTW's single-precision complex transform of the
// same size. Both transform a copy of the same random frame in place, so each timing includes
// one 32 KiB copy; BM_CopyFrame measures that copy alone. BM_AnalyzerFeed gives the analyser's
// whole cost per stereo frame on the audio thread.
#include "analysis/Fft.h"
#include "analysis/SpectrumAnalyzer.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <random>
#include <vector>

namespace
{

constexpr int kPoints = 4096;
constexpr int kFloats = 2 * kPoints;

std::vector<float> randomFrame()
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> frame(kFloats);
    for (float& x : frame)
        x = uniform(random);
    return frame;
}

void BM_CopyFrame(benchmark::State& state)
{
    const std::vector<float> source = randomFrame();
    std::vector<float> work(kFloats);
    for (auto _ : state)
    {
        std::copy(source.begin(), source.end(), work.begin());
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
}

void BM_FftForward(benchmark::State& state)
{
    const std::vector<float> source = randomFrame();
    std::vector<float> work(kFloats);
    for (auto _ : state)
    {
        std::copy(source.begin(), source.end(), work.begin());
        fftForward(work.data(), kFloats);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
}

void BM_Fftwf(benchmark::State& state)
{
    const std::vector<float> source = randomFrame();
    auto* work = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * kPoints));
    // The same direction as fftForward: exp(+2 pi i j k / N).
    fftwf_plan plan = fftwf_plan_dft_1d(kPoints, work, work, FFTW_BACKWARD, FFTW_MEASURE);
    for (auto _ : state)
    {
        std::copy(source.begin(), source.end(), reinterpret_cast<float*>(work));
        fftwf_execute(plan);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(work);
}

// One transform per 2048 frames: blocks of 2048 stereo frames run exactly one each.
void BM_AnalyzerFeed(benchmark::State& state)
{
    constexpr int kBlock = CSpectrumAnalyzer::kFrameSize / 2;
    const std::vector<float> left = randomFrame();
    const std::vector<float> right(left.rbegin(), left.rend());
    CSpectrumAnalyzer analyzer(44100);
    for (auto _ : state)
        benchmark::DoNotOptimize(analyzer.feed(left.data(), right.data(), kBlock));
    state.SetItemsProcessed(state.iterations() * kBlock);
}

} // namespace

BENCHMARK(BM_CopyFrame);
BENCHMARK(BM_FftForward);
BENCHMARK(BM_Fftwf);
BENCHMARK(BM_AnalyzerFeed);

BENCHMARK_MAIN();

// One editor tick (meters, spectrum reduction and redraw, or the waveform redraw) after
// 25 ms of the demo's audio, in microseconds. Run: build/bench/vrn07-bench-editor
#include "editor/SDEditor.h"
#include "plugin/vst2/AKkk.h"
#include "tools/host/HostHarness.h"
#include "tools/render/DemoSignal.h"

#include <benchmark/benchmark.h>

#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace
{
constexpr int kTickFrames = 1102; // 25 ms at 44.1 kHz

// arg: 1 shows the spectrum, 0 the waveform
void editorTick(benchmark::State& state)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, float(kDemoSampleRate));
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.setParameter(kParamViewerMode, state.range(0) ? 0.0f : 1.0f);
    plugin.dispatch(effEditOpen, 0, 0, nullptr);
    SDEditor& editor = *static_cast<AKkk*>(plugin.effect()->object)->sdEditor();

    const std::vector<float> demo = makeDemoSignal();
    std::vector<float> left(kTickFrames), right(kTickFrames), outLeft(kTickFrames),
        outRight(kTickFrames);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    int64_t position = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        for (int i = 0; i < kTickFrames; ++i, position = (position + 1) % kDemoFrames)
        {
            left[size_t(i)] = demo[size_t(2 * position)];
            right[size_t(i)] = demo[size_t(2 * position + 1)];
        }
        plugin.process(in, out, kTickFrames);
        state.ResumeTiming();
        editor.tick();
    }
    plugin.dispatch(effEditClose);
}
} // namespace

BENCHMARK(editorTick)->ArgName("spectrum")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

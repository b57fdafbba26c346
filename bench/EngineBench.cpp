// Time per stereo frame of processReplacing at 44.1 kHz in 512-frame blocks, with the editor
// closed and with the viewer's feeds active, of the true-peak limiter alone and after the
// plug-in as our hosts run it, beside a plain copy of the same block as a yardstick; the
// shared processor the newer editions run, and the VST3 and CLAP editions' process (the CLAP
// edition as the built VRN-07.clap, loaded as hosts load it), with the ceiling off and at
// -1 dBTP.
// Run: build/bench/vrn07-bench-engine
#include "core/Processor.h"
#include "engine/FactoryPresets.h"
#include "engine/TruePeakLimiter.h"
#include "engine/Units.h"
#include "plugin/vst2/AKkk.h"
#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"
#include "tests/clap/ClapHost.h"
#include "tests/vst3/Vst3Host.h"
#include "tools/host/HostHarness.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace
{
constexpr int kBlockFrames = 512;

struct Block
{
    Block()
    {
        std::mt19937 generator(5);
        std::uniform_real_distribution<float> sample(-0.7f, 0.7f);
        for (auto* channel : {&left, &right})
            for (float& value : *channel)
                value = sample(generator);
    }
    std::vector<float> left = std::vector<float>(kBlockFrames);
    std::vector<float> right = std::vector<float>(kBlockFrames);
    std::vector<float> outLeft = std::vector<float>(kBlockFrames);
    std::vector<float> outRight = std::vector<float>(kBlockFrames);
};

// Shown as seconds per stereo frame, with an SI prefix ("32.1n" is 32.1 ns).
void reportPerFrame(benchmark::State& state)
{
    state.counters["per_frame"] = benchmark::Counter(
        kBlockFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

enum Feeds
{
    kEditorClosed = 0,
    kWaveformShown = 1, // meters and the three envelopes
    kSpectrumShown = 2, // meters, envelopes and both spectrum analysers
};

void startPlugin(PluginInstance& plugin, int program)
{
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, float(kDefaultSampleRate));
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effSetProgram, 0, program);
}

// args: program, feeds
void processReplacing(benchmark::State& state)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    startPlugin(plugin, static_cast<int>(state.range(0)));
    AKkk& effect = *static_cast<AKkk*>(plugin.effect()->object);
    const auto feeds = state.range(1);
    if (feeds == kSpectrumShown)
        plugin.setParameter(kParamViewerMode, 0.0f);
    effect.waveformCapture().reset(338);
    if (feeds != kEditorClosed)
        effect.editorOpened();
    Block block;
    float* in[2] = {block.left.data(), block.right.data()};
    float* out[2] = {block.outLeft.data(), block.outRight.data()};
    for (auto _ : state)
    {
        plugin.process(in, out, kBlockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
}

// The plug-in with the editor closed followed by the true-peak limiter at -1 dBTP, in place.
// args: program
void processReplacingThenCeiling(benchmark::State& state)
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    startPlugin(plugin, static_cast<int>(state.range(0)));
    CTruePeakLimiter limiter(kDefaultSampleRate);
    Block block;
    float* in[2] = {block.left.data(), block.right.data()};
    float* out[2] = {block.outLeft.data(), block.outRight.data()};
    for (auto _ : state)
    {
        plugin.process(in, out, kBlockFrames);
        limiter.process(out[0], out[1], out[0], out[1], kBlockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
}

// The true-peak limiter alone at -1 dBTP on the block, whose peaks it limits.
void truePeakLimiter(benchmark::State& state)
{
    CTruePeakLimiter limiter(kDefaultSampleRate);
    Block block;
    for (auto _ : state)
    {
        limiter.process(block.left.data(), block.right.data(), block.outLeft.data(),
                        block.outRight.data(), kBlockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
}

// The VST3 edition's process() with the editor closed, the ceiling off or at -1 dBTP.
// args: program, ceiling
void vst3Process(benchmark::State& state)
{
    auto* effect = new Vst3Effect;
    vst3::SpeakerArrangement in = vst3::kStereo, out = vst3::kStereo;
    vst3::ProcessSetup setup{0, vst3::kSample32, kBlockFrames, double(kDefaultSampleRate)};
    effect->setBusArrangements(&in, 1, &out, 1);
    effect->setupProcessing(setup);
    effect->setActive(1);
    ParameterChanges changes;
    changes.add(vst3_parameters::kProgramId, 0, double(state.range(0)) / (kNumPrograms - 1));
    changes.add(kParamCeiling, 0, state.range(1) ? kCeilingRecord.normalizedOf(-1.0) : 0.0);
    Block block;
    float* inputs[2] = {block.left.data(), block.right.data()};
    float* outputs[2] = {block.outLeft.data(), block.outRight.data()};
    vst3::AudioBusBuffers inBus{2, 0, {inputs}};
    vst3::AudioBusBuffers outBus{2, 0, {outputs}};
    vst3::ProcessData data{};
    data.symbolicSampleSize = vst3::kSample32;
    data.numSamples = kBlockFrames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes;
    effect->process(data);
    data.inputParameterChanges = nullptr;
    for (auto _ : state)
    {
        effect->process(data);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
    static_cast<vst3::IComponent*>(effect)->release();
}

// The settings of a program, with the ceiling at -1 dBTP or off.
void storeProgram(CParameterValues& values, int program, bool ceiling)
{
    values.storeProgram(program);
    if (ceiling)
        values.storeReal(kParamCeiling, -1.0);
}

// args: program, ceiling (0 off, 1 at -1 dBTP)
void clapProcess(benchmark::State& state)
{
    CParameterValues values;
    storeProgram(values, int(state.range(0)), state.range(1) != 0);
    ClapHost host(loadClapEntry(clapPluginPath()));
    if (!host.plugin() || !host.loadState(values.saveText()) ||
        !host.activate(kDefaultSampleRate, kBlockFrames))
    {
        state.SkipWithError("the built VRN-07.clap does not run");
        return;
    }
    Block block;
    for (auto _ : state)
    {
        host.process(block.left.data(), block.right.data(), block.outLeft.data(),
                     block.outRight.data(), kBlockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
    host.deactivate();
}

// The processor the CLAP edition runs, called directly. args: program, ceiling
void processorProcess(benchmark::State& state)
{
    CParameterValues values;
    storeProgram(values, int(state.range(0)), state.range(1) != 0);
    CProcessor processor(kDefaultSampleRate);
    processor.setSampleRate(kDefaultSampleRate);
    processor.applyAll(values);
    Block block;
    for (auto _ : state)
    {
        processor.process(block.left.data(), block.right.data(), block.outLeft.data(),
                          block.outRight.data(), kBlockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
}

void copyBlock(benchmark::State& state)
{
    Block block;
    for (auto _ : state)
    {
        std::memcpy(block.outLeft.data(), block.left.data(), kBlockFrames * sizeof(float));
        std::memcpy(block.outRight.data(), block.right.data(), kBlockFrames * sizeof(float));
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state);
}
} // namespace

BENCHMARK(processReplacing)
    ->ArgNames({"program", "feeds"})
    ->Args({0, kEditorClosed})
    ->Args({2, kEditorClosed})
    ->Args({0, kWaveformShown})
    ->Args({2, kWaveformShown})
    ->Args({0, kSpectrumShown})
    ->Args({2, kSpectrumShown});
BENCHMARK(processReplacingThenCeiling)->ArgName("program")->Arg(0)->Arg(2);
BENCHMARK(vst3Process)
    ->ArgNames({"program", "ceiling"})
    ->Args({0, 0})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({2, 1});
BENCHMARK(processorProcess)
    ->ArgNames({"program", "ceiling"})
    ->Args({0, 0})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({2, 1});
BENCHMARK(clapProcess)
    ->ArgNames({"program", "ceiling"})
    ->Args({0, 0})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({2, 1});
BENCHMARK(truePeakLimiter);
BENCHMARK(copyBlock);

BENCHMARK_MAIN();

#include "core/AudioPath.h"

#include "engine/ControlTable.h"
#include "engine/DenormalGuard.h"
#include "engine/LimiterEngine.h"
#include "engine/Units.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CAudioPath::CAudioPath(int sampleRate)
    : published_(sampleRate), engine_(std::make_unique<CLimiterEngine>(sampleRate))
{
}

CAudioPath::~CAudioPath() = default;

void CAudioPath::applyParameter(int index, float value)
{
    const bool on = value != 0.0f;
    switch (index)
    {
    case kParamBypass:
        processingOn_.store(on, std::memory_order_relaxed);
        break;
    case kParamThresholdLow:
    case kParamThresholdMid:
    case kParamThresholdHigh:
        engine_->setThreshold(index - kParamThresholdLow, value);
        break;
    case kParamGainLow:
    case kParamGainMid:
    case kParamGainHigh:
        engine_->setBandGain(index - kParamGainLow, value);
        break;
    case kParamCrossoverLow:
        engine_->setLowCrossover(value);
        break;
    case kParamCrossoverHigh:
        engine_->setHighCrossover(value);
        break;
    case kParamAttack:
        engine_->setAttack(value);
        break;
    case kParamRelease:
        engine_->setRelease(value);
        break;
    case kParamLimiterGain:
        limiterGain_.store(gainFromDecibels(value), std::memory_order_relaxed);
        break;
    case kParamOutputGain:
        outputGain_.store(gainFromDecibels(value), std::memory_order_relaxed);
        break;
    case kParamSafeClip:
        engine_->setSafeClip(on);
        break;
    case kParamSens:
        engine_->setSens(on);
        break;
    default:
        published_.applyViewerSetting(index, value);
        break;
    }
}

void CAudioPath::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                         int frames)
{
    const DenormalGuard flushDenormals;
    // The source spectrum sees the host's input, before the limiter gain.
    if (published_.feedsSpectrum(published_.showSource()))
        published_.inputAnalyzer().feed(inLeft, inRight, frames);
    if (processingOn())
        processBlock(inLeft, inRight, outLeft, outRight, frames);
    else
        bypassBlock(inLeft, inRight, outLeft, outRight, frames);
    if (published_.feedsSpectrum(published_.showOutput()))
        published_.outputAnalyzer().feed(outLeft, outRight, frames);
}

void CAudioPath::processBlock(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int frames)
{
    ProcessContext context;
    context.inputGain = limiterGain();
    context.outputGain = outputGain();
    context.meters = published_.editorOpen() ? &published_.meters() : nullptr;
    context.meterGainMode = published_.meterMode();
    context.peakListener = published_.feedsViewer() ? this : nullptr;
    engine_->process(frames, inLeft, inRight, outLeft, outRight, context);
}

void CAudioPath::takeChunkPeaks(const ChunkPeaks& peaks, int frames)
{
    CWaveformCapture& capture = published_.waveformCapture();
    for (int i = 0; i < frames; ++i)
    {
        capture.advance();
        capture.offer(Trace::source, peaks.source[i]);
        capture.offer(Trace::limited, peaks.limited[i]);
        capture.offer(Trace::output, peaks.output[i]);
    }
}

// The input reaches the output unchanged and undelayed; the engine keeps its state. The
// three envelopes all show the input.
void CAudioPath::bypassBlock(const float* inLeft, const float* inRight, float* outLeft,
                             float* outRight, int frames)
{
    if (published_.feedsViewer())
    {
        CWaveformCapture& capture = published_.waveformCapture();
        for (int i = 0; i < frames; ++i)
        {
            const float peak = std::max(std::fabs(inLeft[i]), std::fabs(inRight[i]));
            capture.advance();
            capture.offer(Trace::source, peak);
            capture.offer(Trace::limited, peak);
            capture.offer(Trace::output, peak);
        }
    }
    if (outLeft != inLeft)
        std::memmove(outLeft, inLeft, sizeof(float) * size_t(frames));
    if (outRight != inRight)
        std::memmove(outRight, inRight, sizeof(float) * size_t(frames));
}

void CAudioPath::setSampleRate(int sampleRate)
{
    published_.setSampleRate(sampleRate);
    engine_->setSampleRate(sampleRate);
    reset();
}

void CAudioPath::reset()
{
    engine_->reset();
    published_.reset();
}

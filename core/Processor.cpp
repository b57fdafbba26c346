#include "core/Processor.h"

#include "engine/ParameterRecords.h"

CProcessor::CProcessor(int sampleRate, Latency latency)
    : latency_(latency), audio_(sampleRate), ceiling_(sampleRate)
{
}

void CProcessor::setSampleRate(int sampleRate)
{
    audio_.setSampleRate(sampleRate);
    ceiling_.setSampleRate(sampleRate);
    reset();
}

void CProcessor::reset()
{
    audio_.reset();
    bypassDelay_.reset();
    ceiling_.reset();
}

void CProcessor::setCeiling(double dBTP)
{
    if (latency_ == Latency::kUnreported)
        return;
    const bool on = kCeilingRecord.isOn(dBTP);
    if (on)
        ceiling_.setCeiling(dBTP);
    ceiling_.switchOn(on);
}

void CProcessor::apply(int index, const CParameterValues& values)
{
    if (index == kParamCeiling)
        setCeiling(values.real(index));
    else if (CParameterValues::isSetting(index))
        audio_.applyParameter(index, static_cast<float>(values.real(index)));
}

void CProcessor::applyAll(const CParameterValues& values)
{
    for (int index = 0; index < CParameterValues::kCount; ++index)
        apply(index, values);
}

void CProcessor::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                         int frames)
{
    if (latency_ == Latency::kUnreported)
    {
        audio_.process(inLeft, inRight, outLeft, outRight, frames);
        return;
    }
    if (audio_.processingOn())
    {
        bypassDelay_.listen(inLeft, inRight, frames);
        audio_.process(inLeft, inRight, outLeft, outRight, frames);
    }
    else
    {
        // The audio path passes the input on and shows it in the viewers.
        audio_.process(inLeft, inRight, outLeft, outRight, frames);
        bypassDelay_.process(outLeft, outRight, outLeft, outRight, frames);
    }
    ceiling_.process(outLeft, outRight, frames);
    if (audio_.published().editorOpen())
        publishMin(audio_.published().meters().ceilingMinGain, ceiling_.lowestGainOfLastBlock());
}

int CProcessor::latencyFramesFor(const CParameterValues& values) const
{
    const bool ceilingOn =
        latency_ == Latency::kReported && kCeilingRecord.isOn(values.real(kParamCeiling));
    return CBypassDelay::kFrames + (ceilingOn ? ceiling_.lookAheadFrames() : 0);
}

int CProcessor::largestLatencyFrames()
{
    return CBypassDelay::kFrames +
           CTruePeakLimiter(CTruePeakLimiter::kMaxSampleRate).latencyFrames();
}

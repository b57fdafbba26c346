#include "core/PublishedState.h"

#include "engine/ControlTable.h"

#include <cmath>

PublishedState::PublishedState(int sampleRate)
    : sampleRate_(sampleRate), inputAnalyzer_(sampleRate), outputAnalyzer_(sampleRate),
      waveCapture_(sampleRate)
{
}

void PublishedState::setSampleRate(int sampleRate)
{
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
    inputAnalyzer_.setSampleRate(sampleRate);
    outputAnalyzer_.setSampleRate(sampleRate);
    waveCapture_.setSampleRate(sampleRate);
    sampleRateChanged_.store(true);
}

void PublishedState::restartSpectra()
{
    inputAnalyzer_.clear();
    outputAnalyzer_.clear();
}

void PublishedState::restartWaveform(int columns, float milliseconds)
{
    waveCapture_.reset(columns);
    waveCapture_.setTime(milliseconds);
}

void PublishedState::applyViewerSetting(int index, float value)
{
    const bool on = value != 0.0f;
    switch (index)
    {
    case kParamViewerMode:
        // Exactly 1 is the waveform; entering the spectrum starts both curves afresh.
        if (value == 1.0f)
        {
            spectrumMode_.store(0, std::memory_order_relaxed);
        }
        else
        {
            spectrumMode_.store(1, std::memory_order_relaxed);
            restartSpectra();
        }
        break;
    case kParamViewerPause:
        // Anything below 1 pauses.
        viewerPaused_.store(std::trunc(value) == 0.0f ? 1 : 0, std::memory_order_relaxed);
        break;
    case kParamViewerSource:
        showSource_.store(on, std::memory_order_relaxed);
        if (spectrumMode())
            inputAnalyzer_.clear();
        break;
    case kParamViewerLimited:
        showLimited_.store(on, std::memory_order_relaxed);
        break;
    case kParamViewerOutput:
        showOutput_.store(on, std::memory_order_relaxed);
        if (spectrumMode())
            outputAnalyzer_.clear();
        break;
    case kParamMeterMode:
        meterMode_.store(on, std::memory_order_relaxed);
        break;
    default:
        break;
    }
}

void PublishedState::reset()
{
    meters_.outPeak.store(0.0, std::memory_order_relaxed);
    meters_.minGain.store(1.0, std::memory_order_relaxed);
    meters_.ceilingMinGain.store(1.0, std::memory_order_relaxed);
    inputAnalyzer_.clear();
    outputAnalyzer_.clear();
    curvesReset_.store(true);
}

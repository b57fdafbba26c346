#include "analysis/WaveformCapture.h"

#include <algorithm>
#include <cfloat>

namespace
{
constexpr int kTraceStride = 2 * CWaveformCapture::kMaxColumns;
} // namespace

CWaveformCapture::CWaveformCapture(int sampleRate)
    : sampleRate_(sampleRate), traces_(kTraces * kTraceStride)
{
}

std::atomic<float>& CWaveformCapture::slot(Trace trace, int index)
{
    return traces_[static_cast<int>(trace) * kTraceStride + index];
}

const std::atomic<float>& CWaveformCapture::slot(Trace trace, int index) const
{
    return traces_[static_cast<int>(trace) * kTraceStride + index];
}

void CWaveformCapture::reset(int columns)
{
    columns_.store(std::clamp(columns, 0, kMaxColumns), std::memory_order_relaxed);
    position_.store(0.0f, std::memory_order_relaxed);
    currentColumn_.store(0, std::memory_order_relaxed);
    for (auto& value : traces_)
        value.store(0.0f, std::memory_order_relaxed);
    updateStep();
}

void CWaveformCapture::setTime(float milliseconds)
{
    time_.store(milliseconds, std::memory_order_relaxed);
    updateStep();
}

void CWaveformCapture::setSampleRate(int sampleRate)
{
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
    updateStep();
}

void CWaveformCapture::updateStep()
{
    const float samples = static_cast<float>(sampleRate_.load(std::memory_order_relaxed)) *
                          time_.load(std::memory_order_relaxed) * 0.001f;
    float step = static_cast<float>(columns_.load(std::memory_order_relaxed)) / samples;
    // Every allowed time at any rate above 1690 Hz gives less than a column per sample. Beyond
    // that, at most one column per sample keeps every column cleared when it is entered.
    if (!(step > 0.0f))
        step = 0.0f;
    step_.store(std::min(step, 1.0f), std::memory_order_relaxed);
}

void CWaveformCapture::advance()
{
    const int columns = columns_.load(std::memory_order_relaxed);
    float position =
        position_.load(std::memory_order_relaxed) + step_.load(std::memory_order_relaxed);
    // The lap restarts at exactly 0: the fraction past the last column is dropped.
    if (static_cast<int>(position) >= columns)
        position = 0.0f;
    position_.store(position, std::memory_order_relaxed);
    const int column = static_cast<int>(position);
    if (column == currentColumn_.load(std::memory_order_relaxed))
        return;
    currentColumn_.store(column, std::memory_order_relaxed);
    for (int t = 0; t < kTraces; ++t)
    {
        slot(static_cast<Trace>(t), column).store(0.0f, std::memory_order_relaxed);
        slot(static_cast<Trace>(t), column + columns).store(0.0f, std::memory_order_relaxed);
    }
}

void CWaveformCapture::offer(Trace trace, float value)
{
    // Not-a-number and infinity never reach the view's pixel mapping.
    if (!(value <= FLT_MAX))
        return;
    const int column = currentColumn_.load(std::memory_order_relaxed);
    std::atomic<float>& current = slot(trace, column);
    if (value > current.load(std::memory_order_relaxed))
    {
        slot(trace, column + columns_.load(std::memory_order_relaxed))
            .store(value, std::memory_order_relaxed);
        current.store(value, std::memory_order_relaxed);
    }
}

float CWaveformCapture::value(Trace trace, int i) const
{
    const int columns = columns_.load(std::memory_order_relaxed);
    if (i < 0 || i >= columns)
        return 0.0f;
    return slot(trace, currentColumn_.load(std::memory_order_relaxed) + 1 + i)
        .load(std::memory_order_relaxed);
}

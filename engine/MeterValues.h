// The eight meter values the audio path writes while the editor is open and the
// editor's meters read and reset once per tick. Each holds the extreme since its last read.
#pragma once

#include <atomic>

constexpr int kNumBands = 3;

struct MeterValues
{
    std::atomic<double> outPeak{0.0}; // linear amplitude before SafeClip
    std::atomic<double> minGain{1.0}; // lowest limiter gain of the active bands
    std::atomic<double> bandLevel[kNumBands] = {0.0, 0.0, 0.0};
    std::atomic<double> bandMinGain[kNumBands] = {1.0, 1.0, 1.0};
    // The true-peak ceiling's lowest gain, in the editions that carry it.
    std::atomic<double> ceilingMinGain{1.0};
};

// Raises a meter to value if it is higher (audio thread).
inline void publishMax(std::atomic<double>& meter, double value)
{
    double current = meter.load(std::memory_order_relaxed);
    while (value > current &&
           !meter.compare_exchange_weak(current, value, std::memory_order_relaxed))
    {
    }
}

// Lowers a meter to value if it is lower (audio thread).
inline void publishMin(std::atomic<double>& meter, double value)
{
    double current = meter.load(std::memory_order_relaxed);
    while (value < current &&
           !meter.compare_exchange_weak(current, value, std::memory_order_relaxed))
    {
    }
}

// Reads a meter and puts its reset value in its place (the reader's side).
inline double takeMeter(std::atomic<double>& meter, double resetValue)
{
    return meter.exchange(resetValue, std::memory_order_relaxed);
}

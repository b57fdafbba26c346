#include "analysis/SpectrumAnalyzer.h"

#include "analysis/Fft.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kTwoPi = 6.2831855f;
} // namespace

CSpectrumAnalyzer::CSpectrumAnalyzer(int sampleRate)
    : sampleRate_(sampleRate), powerScale_(powerScale()), window_(kFrameSize),
      history_(2 * kFrameSize, 0.0f), spectrum_(2 * kFrameSize, 0.0f), peakPower_(kBins)
{
    // Periodic Hann window.
    for (int i = 0; i < kFrameSize; ++i)
        window_[i] = 0.5f - 0.5f * std::cos(static_cast<float>(i) * kTwoPi / kFrameSize);
}

float CSpectrumAnalyzer::powerScale()
{
    return 1.0f / (std::pow(static_cast<float>(kFrameSize), 2.0371f) * 0.1354f);
}

void CSpectrumAnalyzer::setSampleRate(int sampleRate)
{
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
}

int CSpectrumAnalyzer::feed(const float* first, const float* second, int count)
{
    if (first == nullptr || second == nullptr || count <= 0)
        return 0;
    // The history belongs to the audio thread: a clear from another thread only asks for it.
    if (restartPending_.exchange(false, std::memory_order_acquire))
        restartHistory();
    int transforms = 0;
    for (int i = 0; i < count; ++i)
    {
        float x = (first[i] + second[i]) * 0.5f;
        if (!std::isfinite(x))
            x = 0.0f;
        history_[writePosition_ + kFrameSize] = x;
        history_[writePosition_] = x;
        ++writePosition_;
        if (writePosition_ == kFrameSize)
            writePosition_ = 0;
        else if (writePosition_ != kFrameSize / 2)
            continue;
        transform();
        ++transforms;
    }
    return transforms;
}

void CSpectrumAnalyzer::transform()
{
    // history_[p] is the oldest of the last kFrameSize samples, history_[p + kFrameSize - 1]
    // the newest.
    const float* oldest = history_.data() + writePosition_;
    for (int j = 0; j < kFrameSize; ++j)
    {
        spectrum_[2 * j] = oldest[j] * window_[j];
        spectrum_[2 * j + 1] = 0.0f;
    }
    fftForward(spectrum_.data(), 2 * kFrameSize);
    accumulatePower();
}

void CSpectrumAnalyzer::accumulatePower()
{
    for (int k = 0; k < kBins; ++k)
    {
        const float re = spectrum_[2 * k];
        const float im = spectrum_[2 * k + 1];
        const float power = (re * re + im * im) * powerScale_;
        if (power > peakPower_[k].load(std::memory_order_relaxed))
            peakPower_[k].store(power, std::memory_order_relaxed);
    }
    newData_.store(true, std::memory_order_release);
}

void CSpectrumAnalyzer::restartHistory()
{
    std::fill(history_.begin(), history_.end(), 0.0f);
    writePosition_ = 0;
}

void CSpectrumAnalyzer::clear()
{
    for (auto& power : peakPower_)
        power.store(0.0f, std::memory_order_relaxed);
    restartPending_.store(true, std::memory_order_release);
    newData_.store(true, std::memory_order_release);
}

bool CSpectrumAnalyzer::takePeakPower(std::span<float, kBins> out)
{
    // Clearing the flag first: a transform landing during the copy raises it again, so its
    // maximum shows at the next look rather than being lost.
    if (!newData_.exchange(false, std::memory_order_acquire))
        return false;
    for (int k = 0; k < kBins; ++k)
    {
        out[k] = peakPower_[k].load(std::memory_order_relaxed);
        peakPower_[k].store(0.0f, std::memory_order_relaxed);
    }
    return true;
}

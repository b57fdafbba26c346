// Spectrum analyser of one stereo signal: the audio thread feeds it, the editor reduces the
// largest power seen per bin since its last look.
#pragma once

#include <atomic>
#include <span>
#include <vector>

class CSpectrumAnalyzer
{
  public:
    static constexpr int kFrameSize = 4096;
    static constexpr int kBins = kFrameSize / 2;

    // Allocates and zeroes every buffer; the new-data flag starts set.
    explicit CSpectrumAnalyzer(int sampleRate);

    // The effect's sample rate in Hz; the analyser itself does not depend on it.
    void setSampleRate(int sampleRate);
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

    // Sums the two channels to mono and runs a Hann-windowed transform of the last kFrameSize
    // samples after every kFrameSize / 2 samples, keeping the peak power per bin. Audio thread;
    // allocates nothing. Non-finite samples count as silence. Returns the transforms run.
    int feed(const float* first, const float* second, int count);

    // Zeroes the peak power and, before the next sample is fed, the history; sets the new-data
    // flag. Any thread.
    void clear();

    // When new data has arrived since the last call: copies the peak power into out, zeroes it,
    // clears the flag and returns true. Otherwise returns false and touches nothing. Editor.
    bool takePeakPower(std::span<float, kBins> out);

    // Power per bin scaled so that a full-scale sine centred on a bin reads about -4.7 dB.
    static float powerScale();

  private:
    void restartHistory();
    void transform();
    void accumulatePower();

    std::atomic<int> sampleRate_;
    float powerScale_;
    std::vector<float> window_;
    std::vector<float> history_; // each sample twice, at p and p + kFrameSize
    std::vector<float> spectrum_;
    int writePosition_ = 0;
    std::vector<std::atomic<float>> peakPower_;
    std::atomic<bool> newData_{true};
    std::atomic<bool> restartPending_{false};
};

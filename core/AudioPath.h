// The audio path both plug-in formats run: the limiter gain, the engine, the output gain and
// the bypass, with the analysis writers that feed what the effect publishes for its editor.
#pragma once

#include "core/PublishedState.h"
#include "engine/LimiterEngine.h"

#include <atomic>
#include <memory>

class CAudioPath : private ChunkPeakListener
{
  public:
    explicit CAudioPath(int sampleRate);
    ~CAudioPath();
    CAudioPath(const CAudioPath&) = delete;
    CAudioPath& operator=(const CAudioPath&) = delete;

    // Applies a parameter's real value (dB, Hz, ms, or 0/1) to the engine, the gains, the
    // bypass or the published viewer settings. Any thread.
    void applyParameter(int index, float value);

    // Processes one block; the outputs may be the inputs. Audio thread.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);

    // Only while the audio thread does not run; resets as reset() does.
    void setSampleRate(int sampleRate);
    // Clears every running state: the engine's, the meters and the spectra.
    void reset();

    bool processingOn() const { return processingOn_.load(std::memory_order_relaxed) != 0; }
    double limiterGain() const { return limiterGain_.load(std::memory_order_relaxed); }
    double outputGain() const { return outputGain_.load(std::memory_order_relaxed); }
    PublishedState& published() { return published_; }
    const PublishedState& published() const { return published_; }
    const CLimiterEngine& engine() const { return *engine_; }

  private:
    void processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      int frames);
    // Feeds the waveform capture with the engine's peaks.
    void takeChunkPeaks(const ChunkPeaks& peaks, int frames) override;
    void bypassBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                     int frames);

    PublishedState published_;
    std::unique_ptr<CLimiterEngine> engine_;
    std::atomic<int32_t> processingOn_{0};
    std::atomic<double> limiterGain_{1.0};
    std::atomic<double> outputGain_{1.0};
};

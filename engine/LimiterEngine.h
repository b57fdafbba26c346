// The audio engine: splits each channel into three bands, limits each band, sums them
// and passes the sum through the SafeClip output stage. One per effect.
#pragma once

#include "engine/BandLimiter.h"
#include "engine/Crossover.h"
#include "engine/MeterValues.h"
#include "engine/SafeClip.h"

#include <atomic>

// The engine never processes more than this many frames at once.
constexpr int kEngineChunkFrames = 512;

// The peaks of one chunk, frame by frame, for a viewer: of the scaled input, of the limited
// sum before SafeClip, and of the output.
struct ChunkPeaks
{
    float source[kEngineChunkFrames];
    float limited[kEngineChunkFrames];
    float output[kEngineChunkFrames];
};

// Takes each chunk's peaks on the audio thread, right after the chunk.
class ChunkPeakListener
{
  public:
    virtual void takeChunkPeaks(const ChunkPeaks& peaks, int frames) = 0;

  protected:
    ~ChunkPeakListener() = default;
};

// What the effect hands the engine with every block.
struct ProcessContext
{
    double inputGain = 1.0;  // "Limiter Gain", linear: the drive into the limiters
    double outputGain = 1.0; // "Output Gain", linear
    // Set while the editor is open: the meter values to record into.
    MeterValues* meters = nullptr;
    bool meterGainMode = true; // the output meter shows the lowest gain, not the peak
    // Set while the editor is open and the viewer runs: who takes the peaks of each chunk.
    ChunkPeakListener* peakListener = nullptr;
};

class CLimiterEngine
{
  public:
    explicit CLimiterEngine(int sampleRate);

    // Parameter changes, in real units; any thread, taking effect from the next chunk.
    void setThreshold(int band, double decibels);
    void setBandGain(int band, double decibels);
    void setLowCrossover(double hertz);
    void setHighCrossover(double hertz);
    void setAttack(double milliseconds);
    void setRelease(double milliseconds);
    void setSafeClip(bool on);
    void setSens(bool on);

    // Only while the host does not process.
    void setSampleRate(int sampleRate);
    // Clears every running state: filter histories, limiter gains, the output delay.
    void reset();

    // Processes a block of any length in chunks of at most kEngineChunkFrames. The outputs may be
    // the inputs. Non-finite input samples are taken as silence. Audio thread.
    void process(int frames, const float* inLeft, const float* inRight, float* outLeft,
                 float* outRight, const ProcessContext& context);

    bool lowBandOn() const { return lowBandOn_.load(std::memory_order_relaxed) != 0; }
    bool highBandOn() const { return highBandOn_.load(std::memory_order_relaxed) != 0; }

  private:
    struct BandMeters
    {
        double minGain[kNumBands] = {1.0, 1.0, 1.0};
        double level[kNumBands] = {0.0, 0.0, 0.0};
        double peak = 0.0;
    };

    void processChunk(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      int n, const ProcessContext& context);
    void takeScaledInput(const float* inLeft, const float* inRight, int n, double gain);
    void splitBands(int n, bool lowOn, bool highOn);
    template <bool kMetering, bool kCapturing>
    void limitAndSum(float* outLeft, float* outRight, int n, const ProcessContext& context,
                     bool lowOn, bool highOn, BandMeters& meters);
    void publishMeters(const BandMeters& meters, const ProcessContext& context, bool lowOn,
                       bool highOn);

    CCrossover lowCrossover_;
    CCrossover highCrossover_;
    // One chunk of the scaled input and of its three bands, left and right.
    float inputLeft_[kEngineChunkFrames];
    float inputRight_[kEngineChunkFrames];
    float lowLeft_[kEngineChunkFrames];
    float lowRight_[kEngineChunkFrames];
    float midLeft_[kEngineChunkFrames];
    float midRight_[kEngineChunkFrames];
    float highLeft_[kEngineChunkFrames];
    float highRight_[kEngineChunkFrames];
    ChunkPeaks peaks_;
    CBandLimiter limiters_[kNumBands];
    CSafeClip safeClip_;
    std::atomic<int> sensOn_{0};
    std::atomic<int> lowBandOn_{1};
    std::atomic<int> highBandOn_{1};
};

// CTruePeakLimiter: a look-ahead limiter that holds the true peak of a stereo signal below a
// ceiling. One gain for both channels comes from the peaks a CTruePeakDetector finds between
// the samples it is about to output; it falls smoothly over the look-ahead, holds while a peak
// passes and releases with a settable time. A signal that stays below the ceiling comes out
// delayed by the look-ahead and otherwise unchanged, bit for bit.
#pragma once

#include "engine/TruePeakDetector.h"

#include <cstdint>
#include <vector>

// A new limiter runs at the rate given with ceiling -1 dBTP and release kDefaultReleaseMs.
// It is audio-side state: the setters may be called between blocks on the thread that processes;
// `setSampleRate` allocates and is called only while nothing processes.
class CTruePeakLimiter
{
  public:
    static constexpr double kMinCeilingDb = -6.0;
    static constexpr double kMaxCeilingDb = 0.0;
    static constexpr double kDefaultCeilingDb = -1.0;
    static constexpr double kDefaultReleaseMs = 50.0;
    static constexpr double kMinReleaseMs = 1.0;
    static constexpr double kMaxReleaseMs = 1000.0;
    static constexpr int kMinSampleRate = 8000;
    static constexpr int kMaxSampleRate = 768000;

    explicit CTruePeakLimiter(int sampleRate = kDefaultSampleRate);

    // Sizes the delay lines for the rate (clamped to kMinSampleRate .. kMaxSampleRate) and
    // resets. The only operation that allocates.
    void setSampleRate(int rate);
    // Ceiling in dBTP, rounded to 0.1 dB and clamped to -6 .. 0. It holds for the signal that
    // enters after the call; what is in the look-ahead keeps the ceiling it was limited for.
    // A value that is not finite is ignored.
    void setCeiling(double dBTP);
    // Release time in ms, clamped to 1 .. 1000. A value that is not finite is ignored.
    void setRelease(double ms);
    // Empty delay lines, gain 1.
    void reset();

    double ceiling() const { return ceilingDb_; }
    // The look-ahead: every sample comes out this many frames after it went in (3 ms at most,
    // at rates from 44.1 kHz on).
    int latencyFrames() const { return lookAhead_; }
    // The lowest gain applied during the last `process` call (1 when it did not limit).
    double lowestGainOfLastBlock() const { return lowestGain_; }

    // Limits a block of any length; the outputs may be the inputs. Non-finite input samples are
    // taken as silence, both for the detection and for the output, and finite ones beyond
    // CTruePeakDetector::kMaxMagnitude as that magnitude (they come out silent).
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);

  private:
    static constexpr int kChunkFrames = 256;
    // Reductions (1 - gain) are summed as whole numbers of units of 2^-30, held in doubles
    // (exact below 2^53), so that the running sums of the smoothing stay exact and fall back
    // to exactly 0 when the limiting ends.
    static constexpr double kReductionUnits = 1073741824.0; // 2^30

    void computeTarget();
    // Returns the chunk's lowest gain.
    double processChunk(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                        int n);
    void takeInput(const float* inLeft, const float* inRight, int n);
    void computeReductions(int n);
    void computeGains(int n);
    double applyGains(float* outLeft, float* outRight, int n);

    CTruePeakDetector detector_;
    int sampleRate_ = kDefaultSampleRate;
    double ceilingDb_ = kDefaultCeilingDb;
    double releaseMs_ = kDefaultReleaseMs;
    double target_ = 1.0;       // linear level the gain aims the peaks at
    double releaseCoeff_ = 0.0; // per frame, applied to the held reduction

    // Sizes that follow from the rate (see setSampleRate).
    int lookAhead_ = 0;          // frames of delay
    int holdWindow_ = 0;         // frames over which the deepest reduction is held
    int firstBox_ = 1;           // frames of the first moving average
    int secondBox_ = 1;          // frames of the second moving average
    double fullReduction_ = 1.0; // the second sum when every reduction is 1
    unsigned mask_ = 0;          // ring size - 1, one size for every ring

    // The chunk's peaks, the reductions they ask for and the gains that follow.
    double peaks_[kChunkFrames];
    double reductions_[kChunkFrames];
    double gains_[kChunkFrames];

    // Running state. The delay lines hold lookAhead_ frames before the chunk, then the chunk
    // with non-finite samples replaced.
    std::vector<float> delayLeft_;
    std::vector<float> delayRight_;
    // The deepest reduction over the hold window: a queue of decreasing reductions and the frames
    // they entered at.
    std::vector<double> queueReduction_;
    std::vector<std::uint32_t> queueFrame_;
    unsigned queueHead_ = 0;
    unsigned queueTail_ = 0;
    double heldReduction_ = 0.0;
    std::vector<double> firstBoxRing_;
    std::vector<double> secondBoxRing_;
    double firstSum_ = 0.0;
    double secondSum_ = 0.0;
    std::uint32_t frame_ = 0;
    double lowestGain_ = 1.0;
};

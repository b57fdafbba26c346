// CTruePeakDetector: finds the peaks of a stereo signal between its samples, as a true-peak meter
// does. A polyphase FIR interpolator oversamples the signal 4x at every rate and a three-point
// sine fit around the largest oversampled value of each sample period recovers the peak that
// falls between two points of the oversampled grid.
//
// The 4x interpolator runs as two half-band stages: 96 taps per phase double the rate, and 8
// taps per phase double it again, which suffice because the doubled signal fills only half of
// its band.
//
// Beside it run the interpolators of two BS.1770 meters: libebur128's (a 49-tap Hann-windowed
// sinc, 4x below 96 kHz, 2x below 192 kHz) and ffmpeg's (its resampler's Kaiser-windowed sinc of
// 16 taps to either side, read at 4x below 192 kHz). Their short reach makes them read signals
// with much content near half the rate above their band-limited peaks, up to half a decibel
// where many peaks have been held at one level: each period's peak is the largest of the three
// findings, so that a gain that holds it below a ceiling satisfies those meters too.
#pragma once

#include "engine/Units.h"

#include <array>

// A new detector runs at kDefaultSampleRate with an empty history and fits wherever a peak is above
// 0. It is audio-side state: configure it only while nothing processes.
class CTruePeakDetector
{
  public:
    static constexpr int kFirstStageTaps = 96;
    static constexpr int kSecondStageTaps = 8;
    // Samples may have up to this magnitude: the interpolators' sums stay finite.
    static constexpr float kMaxMagnitude = 1e30f;

    explicit CTruePeakDetector(int sampleRate = kDefaultSampleRate);

    // Designs the interpolators for the rate and empties the history.
    // A rate that is not positive is ignored.
    void setSampleRate(int rate);
    // Peaks below `level` may be reported as the largest oversampled value instead of the
    // fitted peak: the fit runs only where its result could reach the level.
    void setFitLevel(double level);
    // Empty history.
    void reset();

    // Frames from a sample's arrival to the report of its period's peak.
    int delayFrames() const { return delay_; }

    // For each frame in, the largest magnitude either channel reaches from the sample
    // delayFrames() earlier to the next one.
    void detect(const float* left, const float* right, int frames, double* peaks);

  private:
    // Four floats in one vector register (a GCC extension, which MinGW has too).
    using Float4 = float __attribute__((vector_size(16)));
    static constexpr int kChunkFrames = 256;
    // Vector loops run over whole blocks of this many frames, into padding after the chunk.
    static constexpr int kBlockFrames = 16;
    static constexpr int kPaddedFrames = kChunkFrames + kBlockFrames;
    static constexpr int kFirstHalf = kFirstStageTaps / 2;
    static constexpr int kSecondHalf = kSecondStageTaps / 2;
    // Samples kept from earlier chunks: the first stage's reach. Midpoints kept: the second
    // stage's reach behind the period, and the last one of the period before.
    static constexpr int kSampleHistory = kFirstStageTaps - 1;
    static constexpr int kMidpointHistory = kSecondHalf;
    // libebur128's taps; ffmpeg's reach to either side of a point and its Kaiser window's shape.
    static constexpr int kEbuTaps = 49;
    static constexpr int kFfmpegHalf = 16;
    static constexpr double kFfmpegBeta = 9.0;
    // The pairs of samples around a period the meters are read over: all of libebur128's at 2x,
    // all of ffmpeg's but the outermost four, which weigh 0.3 % together.
    static constexpr int kMeterPairs = 12;

    struct Channel
    {
        std::array<float, kSampleHistory + kPaddedFrames> samples{};
        // The signal halfway between samples, from the first stage.
        std::array<float, kMidpointHistory + kPaddedFrames> midpoints{};
        // The signal a quarter and three quarters into each period, from the second stage;
        // the first entry of `threeQuarters` is the period before the chunk's.
        std::array<float, kPaddedFrames> quarters{};
        std::array<float, 1 + kPaddedFrames> threeQuarters{};
        // The largest magnitude on each period's grid; on the meters', found with the midpoints
        // and kept as long.
        std::array<float, kPaddedFrames> largest{};
        std::array<float, kMidpointHistory + kPaddedFrames> meterLargest{};
        // ffmpeg's meter a quarter, half and three quarters into each period, for its fit.
        std::array<float, kMidpointHistory + kPaddedFrames> ffmpegQuarters{};
        std::array<float, kMidpointHistory + kPaddedFrames> ffmpegMiddles{};
        std::array<float, kMidpointHistory + kPaddedFrames> ffmpegThreeQuarters{};
    };

    void detectChunk(const float* left, const float* right, int n, double* peaks);
    void oversample(Channel& channel, const float* in, int n) const;
    template <int kEbuFactor>
    void interpolateMidpointsOnAnyProcessor(Channel& channel, int n) const;
    template <int kEbuFactor, typename Vector>
    void interpolateMidpoints(Channel& channel, int n) const;
    template <int kEbuFactor> void interpolateMidpointsAvx2(Channel& channel, int n) const;
    void interpolateQuarters(Channel& channel, int n) const;
    void findLargest(Channel& channel, int n) const;
    // Each tap in all four lanes, so that a vector multiplies by it without a shuffle.
    struct MeterPhases
    {
        std::array<Float4, kMeterPairs> middle{};
        std::array<Float4, kMeterPairs> quarterEven{};
        std::array<Float4, kMeterPairs> quarterOdd{};
    };
    template <typename Tap, typename Scale>
    static void designMeter(MeterPhases& phases, int reach, Tap tap, Scale scale);
    void designMeters(int rate);
    double fittedPeak(const Channel& channel, int i) const;
    double ffmpegFittedPeak(const Channel& channel, int i, int meter) const;
    void keepHistory(Channel& channel, int n) const;

    Channel left_;
    Channel right_;
    // The half-sample phases of the two stages, each given by one half, as they are symmetric:
    // the first stage's from its outermost tap in (in all four lanes), the second stage's from
    // its innermost out.
    std::array<Float4, kFirstHalf> firstStage_{};
    std::array<float, kSecondHalf> secondStage_{};
    // The meters' phases, by pairs of samples from the outermost in: the half-sample phase and
    // the even and odd halves of the quarter phases.
    MeterPhases ebu_;
    MeterPhases ffmpeg_;
    int ebuFactor_ = 4;
    bool avx2_ = false;
    int delay_ = 0;
    // Grid values below this cannot be fitted to a peak at the fit level.
    double fitFloor_ = 0.0;
};

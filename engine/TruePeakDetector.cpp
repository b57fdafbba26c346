#include "engine/TruePeakDetector.h"

#include "engine/WindowedSinc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

// On Linux x86-64 the first stage runs on AVX2 where the processor has it. MinGW does not align
// the stack for 32-byte vectors, so Windows keeps to SSE.
#if defined(__x86_64__) && defined(__linux__)
#define VRN07_AVX2 1
// The vector helpers below pass 32-byte vectors only inlined into the AVX2 instance, never
// across a call, so the calling convention GCC warns about never applies.
#pragma GCC diagnostic ignored "-Wpsabi"
#else
#define VRN07_AVX2 0
#endif

namespace
{
using windowed_sinc::besselI0;
using windowed_sinc::kPi;
using windowed_sinc::sinc;
// Points per period on the grid: the samples, the midpoints and the quarters between them.
constexpr int kOversampling = 4;
// The fastest sine the grid holds, at half the rate, as 1 - cos of its step on the grid.
constexpr double kMaxFitStep = 1.0 - std::numbers::sqrt2 / 2.0;
// The Kaiser windows' shapes. The first stage is the halfway phase of a 16x interpolation by a
// Kaiser-windowed sinc of 64 taps to either side, flat within 0.01 dB up to 0.46 of the rate and
// steep above, without its outermost 16 taps to either side, which weigh 0.6 % together: a
// shorter or rounder window reads signals with much content near half the rate (clipped noise,
// squares) several tenths of a decibel low. The second stage stays within 0.15 % up to half of
// its band.
constexpr double kFirstStageBeta = windowed_sinc::kKaiserBeta;
constexpr double kFirstStageWindowHalf = windowed_sinc::kHalfWidth;
constexpr double kSecondStageBeta = 6.0;

// A Kaiser window of half-width `half` at `x`.
double kaiser(double x, double half, double beta)
{
    const double r = x / half;
    return besselI0(beta * std::sqrt(1.0 - r * r)) / besselI0(beta);
}

// Half of a symmetric interpolator that finds the point halfway between the middle two of
// 2 * half samples, tap k weighing the k-th sample and its mirror; unit gain at DC.
// The window reaches `windowHalf` samples to either side, at least kHalf.
template <size_t kHalf>
std::array<float, kHalf> halfwayTaps(double kaiserBeta, double windowHalf = kHalf)
{
    std::array<double, kHalf> taps{};
    double sum = 0.0;
    for (size_t k = 0; k < kHalf; ++k)
    {
        const double x = kHalf - 0.5 - k;
        taps[k] = sinc(x) * kaiser(x, windowHalf, kaiserBeta);
        sum += 2.0 * taps[k];
    }
    std::array<float, kHalf> result{};
    for (size_t k = 0; k < kHalf; ++k)
    {
        result[k] = static_cast<float>(taps[k] / sum);
    }
    return result;
}

// Four floats in one SSE register, eight in one AVX register (GCC extensions, which MinGW has too).
using Float4 = float __attribute__((vector_size(16)));
using Float8 = float __attribute__((vector_size(32)));

template <typename Vector> [[gnu::always_inline]] inline Vector load(const float* from)
{
    Vector v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename Vector> [[gnu::always_inline]] inline void store(const Vector& v, float* to)
{
    std::memcpy(to, &v, sizeof v);
}

template <typename Vector> [[gnu::always_inline]] inline Vector magnitude(const Vector& v)
{
    return v < 0.0f ? -v : v;
}

template <typename Vector>
[[gnu::always_inline]] inline Vector larger(const Vector& a, const Vector& b)
{
    return a > b ? a : b;
}

// A tap kept in the four lanes of a Float4, in every lane of a vector.
template <typename Vector> [[gnu::always_inline]] inline Vector spread(const Float4& tap)
{
    if constexpr (sizeof(Vector) == sizeof(Float4))
    {
        return tap;
    }
    else
    {
        return Vector{} + tap[0];
    }
}

// One meter's sums for one vector of periods: its half-sample and quarter phases.
template <typename Vector> struct MeterSums
{
    Vector middle = {};
    Vector even = {};
    Vector odd = {};

    template <typename Phases>
    [[gnu::always_inline]] void add(const Phases& phases, int k, const Vector& sum,
                                    const Vector& difference)
    {
        middle += spread<Vector>(phases.middle[k]) * sum;
        even += spread<Vector>(phases.quarterEven[k]) * sum;
        odd += spread<Vector>(phases.quarterOdd[k]) * difference;
    }

    // The largest magnitude on the meter's grid, per period: quarters only when it has them.
    [[gnu::always_inline]] Vector largest(bool quarters) const
    {
        const Vector m = magnitude(middle);
        return quarters ? larger(m, larger(magnitude(even + odd), magnitude(even - odd))) : m;
    }
};

// A sine through the largest point and its two neighbours, a = A cos(p - w), b = A cos(p),
// c = A cos(p + w), has 1 - cos(w) = (2b - a - c) / 2b and amplitude
// A = sqrt(b^2 + ((a - c) / 2 sin(w))^2), the peak near b. Around a point that is not the
// largest of its three the signal peaks in the neighbour period, which reports it.
double fit(const double* grid)
{
    int at = 1;
    for (int i = 2; i <= kOversampling; ++i)
    {
        if (std::fabs(grid[i]) > std::fabs(grid[at]))
        {
            at = i;
        }
    }
    const double b = std::fabs(grid[at]);
    const double sign = grid[at] < 0.0 ? -1.0 : 1.0;
    const double a = sign * grid[at - 1];
    const double c = sign * grid[at + 1];
    const double curvature = 2.0 * b - a - c;
    if (!(b > 0.0 && a <= b && c <= b && curvature > 0.0))
    {
        return b;
    }
    // A step beyond the fastest sine the grid can hold is taken as that sine, which gives the
    // larger amplitude.
    const double step = std::min(curvature / (2.0 * b), kMaxFitStep);
    const double slope = a - c;
    return std::sqrt(b * b + slope * slope / (4.0 * step * (2.0 - step)));
}
} // namespace

CTruePeakDetector::CTruePeakDetector(int sampleRate)
{
#if VRN07_AVX2
    avx2_ = __builtin_cpu_supports("avx2");
#endif
    setSampleRate(sampleRate);
}

void CTruePeakDetector::setSampleRate(int rate)
{
    if (rate <= 0)
    {
        return;
    }
    const auto first = halfwayTaps<kFirstHalf>(kFirstStageBeta, kFirstStageWindowHalf);
    std::transform(first.begin(), first.end(), firstStage_.begin(),
                   [](float tap) { return Float4{} + tap; });
    const auto second = halfwayTaps<kSecondHalf>(kSecondStageBeta);
    std::reverse_copy(second.begin(), second.end(), secondStage_.begin());
    designMeters(rate);
    delay_ = kFirstHalf + kSecondHalf / 2;
    reset();
}

// The meters' phases are symmetric like the first stage's: kept, by pairs of samples from the
// outermost in, as the half-sample phase and the even and odd halves of the quarter phases.
// `tap(t)` weighs a sample t periods from the point; the pair r weighs the samples r before the
// period and r after it. The innermost kMeterPairs pairs are kept, each phase scaled by
// scale(s), s its sum over the innermost `reach` pairs.
template <typename Tap, typename Scale>
void CTruePeakDetector::designMeter(MeterPhases& phases, int reach, Tap tap, Scale scale)
{
    double middleSum = 0.0;
    double quarterSum = 0.0;
    for (int r = 0; r < reach; ++r)
    {
        middleSum += 2.0 * tap(r + 0.5);
        quarterSum += tap(r + 0.25) + tap(r + 0.75);
    }
    const double middleScale = scale(middleSum);
    const double quarterScale = scale(quarterSum);
    for (int r = 0; r < kMeterPairs; ++r)
    {
        const int k = kMeterPairs - 1 - r;
        const double early = tap(r + 0.25);
        const double late = tap(r + 0.75);
        phases.middle[k] = Float4{} + static_cast<float>(tap(r + 0.5) * middleScale);
        phases.quarterEven[k] = Float4{} + static_cast<float>((early + late) / 2.0 * quarterScale);
        phases.quarterOdd[k] = Float4{} + static_cast<float>((early - late) / 2.0 * quarterScale);
    }
}

// libebur128 upsamples by zero stuffing and filters with taps
// h[j] = sinc((j - 24) / factor) * (1 - cos(2 pi j / 48)) / 2, j = 0 .. 48, unscaled: 4x below
// 96 kHz, 2x below 192 kHz, not at all above.
// ffmpeg's meter resamples to 192 kHz with its resampler's default filter: a sample t periods
// from the point weighs sinc(t) I0(9 sqrt(1 - (t / 16)^2)), for the 32 samples from 15 before the
// point's period to 16 after it, each phase scaled to unit gain at DC. Below 192 kHz its points
// fall at every fraction of a period (exactly on quarters at 48 kHz); the detector reads it on
// quarters. Neither oversamples from 192 kHz on.
void CTruePeakDetector::designMeters(int rate)
{
    ebuFactor_ = rate < 96000 ? 4 : rate < 192000 ? 2 : 1;
    const int factor = ebuFactor_;
    auto hann = [factor](double t)
    {
        constexpr double kHannHalf = (kEbuTaps - 1) / 2.0;
        if (t * factor >= kHannHalf)
        {
            return 0.0;
        }
        const double j = t * factor + kHannHalf;
        return sinc(t) * 0.5 * (1.0 - std::cos(2.0 * kPi * j / (kEbuTaps - 1)));
    };
    designMeter(ebu_, kMeterPairs, hann, [](double) { return 1.0; });
    auto kaiser = [](double t)
    {
        const double r = t / kFfmpegHalf;
        return sinc(t) * besselI0(kFfmpegBeta * std::sqrt(std::max(0.0, 1.0 - r * r)));
    };
    designMeter(ffmpeg_, kFfmpegHalf, kaiser, [](double sum) { return 1.0 / sum; });
}

void CTruePeakDetector::setFitLevel(double level)
{
    fitFloor_ = level * std::cos(kPi / kOversampling / 2.0);
}

void CTruePeakDetector::reset()
{
    left_ = Channel{};
    right_ = Channel{};
}

void CTruePeakDetector::detect(const float* left, const float* right, int frames, double* peaks)
{
    for (int offset = 0; offset < frames; offset += kChunkFrames)
    {
        const int n = std::min(kChunkFrames, frames - offset);
        detectChunk(left + offset, right + offset, n, peaks + offset);
    }
}

void CTruePeakDetector::detectChunk(const float* left, const float* right, int n, double* peaks)
{
    oversample(left_, left, n);
    oversample(right_, right, n);
    // The meters' grid of frame i's period was found with its midpoint; without the meters
    // there are only zeros to read.
    const bool meters = ebuFactor_ > 1;
    const int meter = meters ? kMidpointHistory + kFirstHalf - delay_ : 0;
    for (int i = 0; i < n; ++i)
    {
        double peak = std::max({left_.largest[i], right_.largest[i], left_.meterLargest[meter + i],
                                right_.meterLargest[meter + i]});
        for (const Channel* channel : {&left_, &right_})
        {
            if (channel->largest[i] >= fitFloor_)
            {
                peak = std::max(peak, fittedPeak(*channel, i));
            }
            if (meters && channel->meterLargest[meter + i] >= fitFloor_)
            {
                peak = std::max(peak, ffmpegFittedPeak(*channel, i, meter + i));
            }
        }
        peaks[i] = peak;
    }
    keepHistory(left_, n);
    keepHistory(right_, n);
}

void CTruePeakDetector::oversample(Channel& channel, const float* in, int n) const
{
    std::copy(in, in + n, channel.samples.begin() + kSampleHistory);
    switch (ebuFactor_)
    {
    case 4:
        interpolateMidpointsOnAnyProcessor<4>(channel, n);
        break;
    case 2:
        interpolateMidpointsOnAnyProcessor<2>(channel, n);
        break;
    default:
        interpolateMidpointsOnAnyProcessor<1>(channel, n);
    }
    interpolateQuarters(channel, n);
    findLargest(channel, n);
}

// Midpoint i lies between the samples kFirstHalf and kFirstHalf - 1 before the i-th of the
// chunk. Each tap meets a sample and its mirror. The frames run in blocks of vectors of four,
// summed tap by tap: written out, because the compiler vectorizes this loop nest across the
// taps instead, at a third of the speed. The meters' phases for the same period reach over the
// innermost taps and use the same sums: ffmpeg's over kMeterPairs pairs, libebur128's within
// them.
template <int kEbuFactor>
void CTruePeakDetector::interpolateMidpointsOnAnyProcessor(Channel& channel, int n) const
{
#if VRN07_AVX2
    if (avx2_)
    {
        interpolateMidpointsAvx2<kEbuFactor>(channel, n);
        return;
    }
#endif
    interpolateMidpoints<kEbuFactor, Float4>(channel, n);
}

template <int kEbuFactor, typename Vector>
[[gnu::always_inline]] inline void CTruePeakDetector::interpolateMidpoints(Channel& channel,
                                                                           int n) const
{
    constexpr bool kMeters = kEbuFactor > 1;
    constexpr int kEbuHalf = kMeters ? (kEbuTaps - 1) / kEbuFactor / 2 : 0;
    constexpr int kFfmpegFrom = kMeters ? kFirstHalf - kMeterPairs : kFirstHalf;
    constexpr int kEbuFrom = kFirstHalf - kEbuHalf;
    constexpr int kLanes = sizeof(Vector) / sizeof(float);
    constexpr int kVectors = kBlockFrames / kLanes;
    const float* x = channel.samples.data();
    float* midpoints = channel.midpoints.data() + kMidpointHistory;
    for (int i = 0; i < n; i += kBlockFrames)
    {
        Vector sums[kVectors] = {};
        for (int k = 0; k < kFfmpegFrom; ++k)
        {
            const Vector tap = spread<Vector>(firstStage_[k]);
            for (int v = 0; v < kVectors; ++v)
            {
                const float* at = x + i + kLanes * v;
                sums[v] += tap * (load<Vector>(at + k) + load<Vector>(at + kSampleHistory - k));
            }
        }
        // The meters' sums for two vectors at a time, so that they stay in registers; the
        // pairs within libebur128's reach are loaded again for it.
        constexpr int kMeterVectors = std::min(2, kVectors);
        for (int v0 = 0; v0 < kVectors; v0 += kMeterVectors)
        {
            const float* at = x + i + kLanes * v0;
            MeterSums<Vector> ffmpeg[kMeterVectors];
            MeterSums<Vector> ebu[kMeterVectors];
            for (int k = kFfmpegFrom; k < kFirstHalf; ++k)
            {
                for (int v = 0; v < kMeterVectors; ++v)
                {
                    const Vector rising = load<Vector>(at + kLanes * v + k);
                    const Vector falling = load<Vector>(at + kLanes * v + kSampleHistory - k);
                    const Vector sum = rising + falling;
                    sums[v0 + v] += spread<Vector>(firstStage_[k]) * sum;
                    ffmpeg[v].add(ffmpeg_, k - kFfmpegFrom, sum, rising - falling);
                }
            }
            for (int k = kEbuFrom; k < kFirstHalf; ++k)
            {
                for (int v = 0; v < kMeterVectors; ++v)
                {
                    const Vector rising = load<Vector>(at + kLanes * v + k);
                    const Vector falling = load<Vector>(at + kLanes * v + kSampleHistory - k);
                    ebu[v].add(ebu_, k - kFfmpegFrom, rising + falling, rising - falling);
                }
            }
            for (int v = 0; v < kMeterVectors; ++v)
            {
                const int period = i + kLanes * (v0 + v);
                store(sums[v0 + v], midpoints + period);
                if constexpr (kMeters)
                {
                    const int to = kMidpointHistory + period;
                    store(ffmpeg[v].even + ffmpeg[v].odd, channel.ffmpegQuarters.data() + to);
                    store(ffmpeg[v].middle, channel.ffmpegMiddles.data() + to);
                    store(ffmpeg[v].even - ffmpeg[v].odd, channel.ffmpegThreeQuarters.data() + to);
                    store(larger(ffmpeg[v].largest(true), ebu[v].largest(kEbuFactor == 4)),
                          channel.meterLargest.data() + to);
                }
            }
        }
    }
}

#if VRN07_AVX2
// The same with eight periods to a vector, on processors that have AVX2; the sums are the same
// to the last bit, as each lane adds the same products in the same order.
template <int kEbuFactor>
__attribute__((target("avx2"))) void CTruePeakDetector::interpolateMidpointsAvx2(Channel& channel,
                                                                                 int n) const
{
    interpolateMidpoints<kEbuFactor, Float8>(channel, n);
}
#endif

// The doubled signal z interleaves samples (z[2j] = x[j]) and midpoints (z[2j + 1] = m[j]);
// the second stage finds the points halfway between its neighbours: a quarter and three
// quarters into each period.
void CTruePeakDetector::interpolateQuarters(Channel& channel, int n) const
{
    // The sample and the midpoint of the period reported for frame i are x[i] and m[i].
    const float* x = channel.samples.data() + kSampleHistory - delay_;
    const float* m = channel.midpoints.data() + kMidpointHistory + kFirstHalf - delay_;
    for (int i = 0; i < n; i += kBlockFrames)
    {
        // Summed in locals, which the compiler knows alias nothing.
        float quarters[kBlockFrames] = {};
        float threeQuarters[kBlockFrames] = {};
        for (int k = 0; k < kSecondHalf; k += 2)
        {
            const int r = k / 2;
            for (int j = 0; j < kBlockFrames; ++j)
            {
                const int at = i + j;
                quarters[j] += secondStage_[k] * (x[at - r] + m[at + r]) +
                               secondStage_[k + 1] * (m[at - r - 1] + x[at + r + 1]);
                threeQuarters[j] += secondStage_[k] * (m[at - r] + x[at + r + 1]) +
                                    secondStage_[k + 1] * (x[at - r] + m[at + r + 1]);
            }
        }
        std::copy(quarters, quarters + kBlockFrames, channel.quarters.begin() + i);
        std::copy(threeQuarters, threeQuarters + kBlockFrames,
                  channel.threeQuarters.begin() + 1 + i);
    }
}

void CTruePeakDetector::findLargest(Channel& channel, int n) const
{
    const float* x = channel.samples.data() + kSampleHistory - delay_;
    const float* m = channel.midpoints.data() + kMidpointHistory + kFirstHalf - delay_;
    const float* quarters = channel.quarters.data();
    const float* threeQuarters = channel.threeQuarters.data() + 1;
    for (int i = 0; i < n; i += kBlockFrames)
    {
        float largest[kBlockFrames];
        for (int j = 0; j < kBlockFrames; ++j)
        {
            const int at = i + j;
            largest[j] = std::max({std::fabs(x[at]), std::fabs(m[at]), std::fabs(quarters[at]),
                                   std::fabs(threeQuarters[at])});
        }
        std::copy(largest, largest + kBlockFrames, channel.largest.begin() + i);
    }
}

double CTruePeakDetector::fittedPeak(const Channel& channel, int i) const
{
    const float* x = channel.samples.data() + kSampleHistory - delay_ + i;
    const float* m = channel.midpoints.data() + kMidpointHistory + kFirstHalf - delay_ + i;
    // The period's grid with one point of each neighbour period around it.
    const double grid[] = {channel.threeQuarters[i],     x[0], channel.quarters[i], m[0],
                           channel.threeQuarters[i + 1], x[1]};
    return fit(grid);
}

// The same fit on ffmpeg's meter, whose points fall at every fraction of a period at most rates.
double CTruePeakDetector::ffmpegFittedPeak(const Channel& channel, int i, int meter) const
{
    const float* x = channel.samples.data() + kSampleHistory - delay_ + i;
    const double grid[] = {channel.ffmpegThreeQuarters[meter - 1], x[0],
                           channel.ffmpegQuarters[meter],          channel.ffmpegMiddles[meter],
                           channel.ffmpegThreeQuarters[meter],     x[1]};
    return fit(grid);
}

void CTruePeakDetector::keepHistory(Channel& channel, int n) const
{
    std::copy(channel.samples.begin() + n, channel.samples.begin() + n + kSampleHistory,
              channel.samples.begin());
    std::copy(channel.midpoints.begin() + n, channel.midpoints.begin() + n + kMidpointHistory,
              channel.midpoints.begin());
    for (auto* kept : {&channel.meterLargest, &channel.ffmpegQuarters, &channel.ffmpegMiddles,
                       &channel.ffmpegThreeQuarters})
    {
        std::copy(kept->begin() + n, kept->begin() + n + kMidpointHistory, kept->begin());
    }
    channel.threeQuarters[0] = channel.threeQuarters[n];
}

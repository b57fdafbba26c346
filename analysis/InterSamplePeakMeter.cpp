#include "analysis/InterSamplePeakMeter.h"

#include "engine/WindowedSinc.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
using windowed_sinc::besselI0;
using windowed_sinc::kKaiserBeta;
// What the grid points around the largest value read at least, as fractions of it (see the
// header): the cosine bound for a band edge of 0.55 of the rate, which covers the interpolator's
// transition band, rounded down.
constexpr double kHalfSampleReach = 0.5;
constexpr double kEighthSampleReach = 0.8;

// Four floats in one vector register (a GCC extension).
using Float4 = float __attribute__((vector_size(16)));

Float4 load(const float* from)
{
    Float4 v;
    std::memcpy(&v, from, sizeof v);
    return v;
}
} // namespace

// Tap k of phase p weighs the sample k - (kHalfTaps - 1) periods after the one the point
// p / kFactor follows; each phase has unit gain at DC. Phase 0 is the sample itself.
struct CInterSamplePeakMeter::Phases
{
    alignas(16) float taps[kFactor][kTaps];

    Phases()
    {
        for (int p = 1; p < kFactor; ++p)
        {
            double weights[kTaps];
            double sum = 0.0;
            for (int k = 0; k < kTaps; ++k)
            {
                const double t = double(p) / kFactor - (k - (kHalfTaps - 1));
                const double r = t / kHalfTaps;
                const double window = besselI0(kKaiserBeta * std::sqrt(1.0 - r * r));
                weights[k] = windowed_sinc::sinc(t) * window;
                sum += weights[k];
            }
            for (int k = 0; k < kTaps; ++k)
            {
                taps[p][k] = static_cast<float>(weights[k] / sum);
            }
        }
    }
};

const CInterSamplePeakMeter::Phases& CInterSamplePeakMeter::phases()
{
    static const Phases designed;
    return designed;
}

void CInterSamplePeakMeter::add(const float* left, const float* right, int frames)
{
    while (frames > 0)
    {
        const int n = std::min(frames, kHistory + kChunkFrames - filled_);
        std::copy(left, left + n, left_.begin() + filled_);
        std::copy(right, right + n, right_.begin() + filled_);
        filled_ += n;
        left += n;
        right += n;
        frames -= n;
        if (filled_ == kHistory + kChunkFrames)
        {
            measureChunk();
        }
    }
}

void CInterSamplePeakMeter::finish()
{
    // After the last sample, the interpolation rings for kHalfTaps - 1 periods.
    static constexpr float kZeros[kHistory] = {};
    add(kZeros, kZeros, kHistory);
    measureChunk();
}

double CInterSamplePeakMeter::peak() const
{
    return peak_;
}

double CInterSamplePeakMeter::peakDb() const
{
    return 20.0 * std::log10(peak_);
}

void CInterSamplePeakMeter::reset()
{
    left_.fill(0.0f);
    right_.fill(0.0f);
    filled_ = kHistory;
    peak_ = 0.0;
}

// Measures every period whose window is in the buffers, then keeps the history for the next.
void CInterSamplePeakMeter::measureChunk()
{
    const int periods = filled_ - kHistory;
    measurePeriods(left_.data(), periods);
    measurePeriods(right_.data(), periods);
    std::copy(left_.begin() + periods, left_.begin() + filled_, left_.begin());
    std::copy(right_.begin() + periods, right_.begin() + filled_, right_.begin());
    filled_ = kHistory;
}

// The periods from sample samples[kHalfTaps - 1] on.
void CInterSamplePeakMeter::measurePeriods(const float* samples, int periods)
{
    float halfway[kChunkFrames + kBlockPeriods];
    interpolateHalfway(samples, periods, halfway);
    double peak = peak_;
    for (int i = 0; i < periods; ++i)
    {
        // The magnitudes on the 16x grid of this period, as far as they are known.
        float grid[kFactor + 1];
        grid[0] = std::fabs(samples[i + kHalfTaps - 1]);
        grid[kFactor / 2] = halfway[i];
        grid[kFactor] = std::fabs(samples[i + kHalfTaps]);
        peak = std::max(peak, double(std::max(grid[0], grid[kFactor / 2])));
        if (std::max({grid[0], grid[kFactor / 2], grid[kFactor]}) >= kHalfSampleReach * peak)
        {
            peak = measureBetweenHalves(samples + i, grid, peak);
        }
    }
    peak_ = peak;
}

// The larger of `peak` and the period's 4x grid and its 16x grid between 4x points that reach
// kEighthSampleReach of the largest value so far.
double CInterSamplePeakMeter::measureBetweenHalves(const float* window, float* grid, double peak)
{
    constexpr int kQuarter = kFactor / 4;
    float quarters[2];
    interpolate<2>(window, kQuarter, 2 * kQuarter, quarters);
    grid[kQuarter] = quarters[0];
    grid[3 * kQuarter] = quarters[1];
    peak = std::max(peak, double(std::max(quarters[0], quarters[1])));
    for (int from = 0; from < kFactor; from += kQuarter)
    {
        if (std::max(grid[from], grid[from + kQuarter]) >= kEighthSampleReach * peak)
        {
            float between[kQuarter - 1];
            interpolate<kQuarter - 1>(window, from + 1, 1, between);
            peak = std::max(peak, double(*std::max_element(between, between + kQuarter - 1)));
        }
    }
    return peak;
}

// The magnitudes at kCount phases, `first` and every `stride`-th after it, of the period after
// window[kHalfTaps - 1]. The phases share the loads of the window.
template <int kCount>
void CInterSamplePeakMeter::interpolate(const float* window, int first, int stride,
                                        float* magnitudes)
{
    const float* taps[kCount];
    for (int c = 0; c < kCount; ++c)
    {
        taps[c] = phases().taps[first + c * stride];
    }
    Float4 sums[kCount][2] = {};
    for (int k = 0; k < kTaps; k += 8)
    {
        const Float4 x[2] = {load(window + k), load(window + k + 4)};
        for (int c = 0; c < kCount; ++c)
        {
            sums[c][0] += x[0] * load(taps[c] + k);
            sums[c][1] += x[1] * load(taps[c] + k + 4);
        }
    }
    for (int c = 0; c < kCount; ++c)
    {
        const Float4 sum = sums[c][0] + sums[c][1];
        magnitudes[c] = std::fabs((sum[0] + sum[1]) + (sum[2] + sum[3]));
    }
}

// The magnitudes halfway between samples of `periods` periods from the one after
// samples[kHalfTaps - 1], in blocks of kBlockPeriods: the phase is symmetric, so each tap
// weighs the sum of a sample and its mirror. Reads up to kBlockPeriods - 1 samples past the
// last period's window.
void CInterSamplePeakMeter::interpolateHalfway(const float* samples, int periods, float* magnitudes)
{
    const float* taps = phases().taps[kFactor / 2];
    constexpr int kVectors = kBlockPeriods / 4;
    for (int i = 0; i < periods; i += kBlockPeriods)
    {
        Float4 sums[kVectors] = {};
        for (int k = 0; k < kHalfTaps; ++k)
        {
            const float tap = taps[k];
            for (int v = 0; v < kVectors; ++v)
            {
                const float* x = samples + i + 4 * v;
                sums[v] += tap * (load(x + k) + load(x + kTaps - 1 - k));
            }
        }
        for (int v = 0; v < kVectors; ++v)
        {
            for (int j = 0; j < 4; ++j)
            {
                magnitudes[i + 4 * v + j] = std::fabs(sums[v][j]);
            }
        }
    }
}

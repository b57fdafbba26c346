#include "analysis/InterSamplePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr int kFactor = 16;
constexpr int kTaps = 128;
constexpr double kKaiserBeta = 8.0;
// What the grid points around the largest value read at least, as fractions of it (see the
// header): the cosine bound for a band edge of 0.55 of the rate, which covers the interpolator's
// transition band, rounded down.
constexpr double kHalfSampleReach = 0.5;
constexpr double kEighthSampleReach = 0.8;

double besselI0(double x)
{
    const double quarterSquare = x * x / 4.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; term > sum * 1e-17; ++k)
    {
        term *= quarterSquare / (double(k) * double(k));
        sum += term;
    }
    return sum;
}

// Tap k of phase p weighs the sample k - (kTaps / 2 - 1) periods after the one the point
// p / kFactor follows; each phase has unit gain at DC.
struct Phases
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
                const double t = double(p) / kFactor - (k - (kTaps / 2 - 1));
                const double r = t / (kTaps / 2);
                const double window = besselI0(kKaiserBeta * std::sqrt(1.0 - r * r));
                weights[k] = std::sin(kPi * t) / (kPi * t) * window;
                sum += weights[k];
            }
            for (int k = 0; k < kTaps; ++k)
            {
                taps[p][k] = static_cast<float>(weights[k] / sum);
            }
        }
    }
};

const Phases& phases()
{
    static const Phases designed;
    return designed;
}

// Four floats in one vector register (a GCC extension).
using Float4 = float __attribute__((vector_size(16)));

Float4 load(const float* from)
{
    Float4 v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

// The interpolated value at phase p after the sample window[kTaps / 2 - 1].
float interpolate(const float* window, int p)
{
    const float* taps = phases().taps[p];
    Float4 sums[4] = {};
    for (int k = 0; k < kTaps; k += 16)
    {
        for (int v = 0; v < 4; ++v)
        {
            sums[v] += load(window + k + 4 * v) * load(taps + k + 4 * v);
        }
    }
    const Float4 sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}
} // namespace

void CInterSamplePeakMeter::add(const float* left, const float* right, int frames)
{
    while (frames > 0)
    {
        const int n = std::min(frames, static_cast<int>(left_.size()) - filled_);
        std::copy(left, left + n, left_.begin() + filled_);
        std::copy(right, right + n, right_.begin() + filled_);
        filled_ += n;
        left += n;
        right += n;
        frames -= n;
        if (filled_ == static_cast<int>(left_.size()))
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
    for (int i = 0; i < periods; ++i)
    {
        measurePeriod(left_.data() + i);
        measurePeriod(right_.data() + i);
    }
    std::copy(left_.begin() + periods, left_.begin() + filled_, left_.begin());
    std::copy(right_.begin() + periods, right_.begin() + filled_, right_.begin());
    filled_ = kHistory;
}

// The period from sample window[kHalfTaps - 1] to the next.
void CInterSamplePeakMeter::measurePeriod(const float* window)
{
    float grid[kFactor + 1];
    grid[0] = std::fabs(window[kHalfTaps - 1]);
    grid[kFactor] = std::fabs(window[kHalfTaps]);
    grid[kFactor / 2] = std::fabs(interpolate(window, kFactor / 2));
    double peak = std::max(peak_, double(std::max(grid[0], grid[kFactor / 2])));
    if (std::max({grid[0], grid[kFactor / 2], grid[kFactor]}) >= kHalfSampleReach * peak)
    {
        constexpr int kQuarter = kFactor / 4;
        for (int p = kQuarter; p < kFactor; p += 2 * kQuarter)
        {
            grid[p] = std::fabs(interpolate(window, p));
            peak = std::max(peak, double(grid[p]));
        }
        for (int from = 0; from < kFactor; from += kQuarter)
        {
            if (std::max(grid[from], grid[from + kQuarter]) < kEighthSampleReach * peak)
            {
                continue;
            }
            for (int p = from + 1; p < from + kQuarter; ++p)
            {
                peak = std::max(peak, double(std::fabs(interpolate(window, p))));
            }
        }
    }
    peak_ = peak;
}

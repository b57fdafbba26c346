#include "analysis/ProcessingResidual.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr int kTaps = 2 * kResidualReachFrames + 1;
// Gain and filter are fitted in turn, from a gain of 1 in every block.
constexpr int kFilterFits = 2;
// The filter is fitted on about this many blocks (5 s) spread over the whole signal: a
// static filter is found as well from them as from all.
constexpr size_t kFitBlocks = 100;

using Filter = std::array<double, kTaps>;
const double kFloorRatio = std::pow(10.0, kResidualFloorDb / 10.0);
using System = std::array<Filter, kTaps>;

struct Channel
{
    // The input with kTaps zeros before and after it, so that every tap reads inside.
    std::vector<float> padded;
    const float* output;
    std::vector<float> filtered; // the input through the channel's filter

    // The input at frame n, for n from -kTaps to frames + kTaps - 1.
    double in(int64_t n) const { return padded[size_t(n + kTaps)]; }
};

// Tap k reads the input kResidualReachFrames - k frames ahead of the output frame.
constexpr int64_t tapOffset(int k)
{
    return kResidualReachFrames - k;
}

void applyFilter(Channel& channel, const Filter& filter, int64_t frames)
{
    // Tap by tap over a stretch of frames, so that the inner loop runs along the frames.
    constexpr int64_t kStretch = 4096;
    // Float sums: 33 terms keep their rounding near -140 dB, and run twice as wide.
    std::array<float, kStretch> sums;
    for (int64_t start = 0; start < frames; start += kStretch)
    {
        const int64_t length = std::min(kStretch, frames - start);
        std::fill_n(sums.begin(), length, 0.0f);
        for (int k = 0; k < kTaps; ++k)
        {
            const float tap = float(filter[size_t(k)]);
            const float* x = &channel.padded[size_t(start + tapOffset(k) + kTaps)];
            for (int64_t i = 0; i < length; ++i)
                sums[size_t(i)] += tap * x[i];
        }
        for (int64_t i = 0; i < length; ++i)
            channel.filtered[size_t(start + i)] = sums[size_t(i)];
    }
}

// The least-squares gain of each block, one for both channels.
std::vector<double> blockGains(const std::vector<Channel>& channels, int64_t frames,
                               int64_t blockFrames)
{
    std::vector<double> gains;
    for (int64_t start = 0; start < frames; start += blockFrames)
    {
        const int64_t end = std::min(frames, start + blockFrames);
        double cross = 0.0, energy = 0.0;
        for (const Channel& channel : channels)
            for (int64_t n = start; n < end; ++n)
            {
                cross += double(channel.output[n]) * channel.filtered[size_t(n)];
                energy += double(channel.filtered[size_t(n)]) * channel.filtered[size_t(n)];
            }
        gains.push_back(energy > 0.0 ? cross / energy : 0.0);
    }
    return gains;
}

// Solves the symmetric positive definite system a x = b by Cholesky; a is overwritten.
Filter solve(System& a, Filter b)
{
    for (int j = 0; j < kTaps; ++j)
    {
        double diagonal = a[j][j];
        for (int k = 0; k < j; ++k)
            diagonal -= a[j][k] * a[j][k];
        a[j][j] = std::sqrt(std::max(diagonal, std::numeric_limits<double>::min()));
        for (int i = j + 1; i < kTaps; ++i)
        {
            double sum = a[i][j];
            for (int k = 0; k < j; ++k)
                sum -= a[i][k] * a[j][k];
            a[i][j] = sum / a[j][j];
        }
    }
    for (int i = 0; i < kTaps; ++i)
    {
        for (int k = 0; k < i; ++k)
            b[i] -= a[i][k] * b[k];
        b[i] /= a[i][i];
    }
    for (int i = kTaps - 1; i >= 0; --i)
    {
        for (int k = i + 1; k < kTaps; ++k)
            b[i] -= a[k][i] * b[k];
        b[i] /= a[i][i];
    }
    return b;
}

// Adds weight times the block's sums of products of the taps' inputs, exactly: the first
// row directly, every other entry from the one diagonally before it, which sums the same
// products one frame earlier.
void addBlockProducts(const Channel& channel, int64_t start, int64_t end, double weight,
                      System& system)
{
    Filter firstRow{};
    for (int64_t n = start; n < end; ++n)
    {
        const double first = channel.in(n + tapOffset(0));
        for (int m = 0; m < kTaps; ++m)
            firstRow[size_t(m)] += first * channel.in(n + tapOffset(m));
    }
    for (int d = 0; d < kTaps; ++d)
    {
        double sum = firstRow[size_t(d)];
        for (int k = 0; k + d < kTaps; ++k)
        {
            if (k > 0)
            {
                const int64_t before = start - 1, last = end - 1;
                sum +=
                    channel.in(before + tapOffset(k - 1)) *
                        channel.in(before + tapOffset(k - 1 + d)) -
                    channel.in(last + tapOffset(k - 1)) * channel.in(last + tapOffset(k - 1 + d));
            }
            system[k][k + d] += weight * sum;
            if (d > 0)
                system[k + d][k] += weight * sum;
        }
    }
}

// The filter that, under the block gains, brings the channel's input closest to its output.
Filter fittedFilter(const Channel& channel, const std::vector<double>& gains, int64_t frames,
                    int64_t blockFrames)
{
    System system{};
    Filter cross{};
    const size_t stride = std::max<size_t>(1, gains.size() / kFitBlocks);
    for (size_t b = 0; b < gains.size(); b += stride)
    {
        const int64_t start = int64_t(b) * blockFrames;
        const int64_t end = std::min(frames, start + blockFrames);
        addBlockProducts(channel, start, end, gains[b] * gains[b], system);
        for (int64_t n = start; n < end; ++n)
        {
            const double y = gains[b] * channel.output[n];
            for (int k = 0; k < kTaps; ++k)
                cross[size_t(k)] += y * channel.in(n + tapOffset(k));
        }
    }
    if (system[0][0] <= 0.0)
        return Filter{};
    // A trace of ridge keeps the system solvable for inputs without high frequencies.
    const double ridge = 1e-12 * system[kResidualReachFrames][kResidualReachFrames];
    for (int i = 0; i < kTaps; ++i)
        system[i][i] += ridge;
    return solve(system, cross);
}

double unexplainedEnergy(const std::vector<Channel>& channels, const std::vector<double>& gains,
                         int64_t frames, int64_t blockFrames)
{
    double sum = 0.0;
    for (const Channel& channel : channels)
        for (int64_t n = 0; n < frames; ++n)
        {
            const double error = channel.output[n] - gains[size_t(n / blockFrames)] *
                                                         double(channel.filtered[size_t(n)]);
            sum += error * error;
        }
    return sum;
}

double energyOf(const std::vector<Channel>& channels, int64_t frames)
{
    double energy = 0.0;
    for (const Channel& channel : channels)
        for (int64_t n = 0; n < frames; ++n)
            energy += double(channel.output[n]) * channel.output[n];
    return energy;
}

Channel channelOf(const float* input, const float* output, int64_t frames)
{
    Channel channel{std::vector<float>(size_t(frames + 2 * kTaps)), output,
                    std::vector<float>(input, input + frames)};
    std::copy_n(input, frames, channel.padded.begin() + kTaps);
    return channel;
}
} // namespace

double processingResidualDb(StereoView input, StereoView output, int64_t frames, int sampleRate)
{
    const double none = -std::numeric_limits<double>::infinity();
    if (frames <= 0)
        return none;
    const int64_t blockFrames =
        std::max<int64_t>(1, std::llround(kResidualBlockSeconds * sampleRate));
    std::vector<Channel> channels = {channelOf(input.left, output.left, frames),
                                     channelOf(input.right, output.right, frames)};
    // The gains alone first; each fit of the filter is kept only where it explains more, so
    // that the measure is never worse than that of the gains alone.
    std::vector<double> gains = blockGains(channels, frames, blockFrames);
    const double energy = energyOf(channels, frames);
    if (energy <= 0.0)
        return none;
    double best = unexplainedEnergy(channels, gains, frames, blockFrames);
    if (best <= energy * kFloorRatio)
        return kResidualFloorDb;
    std::fill(gains.begin(), gains.end(), 1.0);
    for (int fit = 0; fit < kFilterFits; ++fit)
    {
        for (Channel& channel : channels)
            applyFilter(channel, fittedFilter(channel, gains, frames, blockFrames), frames);
        gains = blockGains(channels, frames, blockFrames);
        best = std::min(best, unexplainedEnergy(channels, gains, frames, blockFrames));
    }
    return std::max(kResidualFloorDb, 10.0 * std::log10(best / energy));
}

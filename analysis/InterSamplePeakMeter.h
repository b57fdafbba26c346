// The true peak of a stereo signal as a 16x band-limited interpolation (a ±64-tap
// Kaiser-windowed sinc) reads it: the largest magnitude on the 16x grid, samples included.
//
// Most of the grid is never computed. The signal between samples is band-limited, so around
// its largest value it cannot fall faster than a cosine at the band's edge: within a quarter
// sample of the largest grid value some point of the 2x grid reads more than half of it, and
// within an eighth of a sample some point of the 4x grid reads more than 0.8 of it. The meter
// computes the 2x grid everywhere, the 4x grid only in sample periods that reach half of the
// largest value found so far, and the 16x grid only between 4x points that reach 0.8 of it:
// what it skips cannot hold the largest value, so the reading is that of the whole grid.
#pragma once

#include "engine/WindowedSinc.h"

#include <array>

class CInterSamplePeakMeter
{
  public:
    void add(const float* left, const float* right, int frames); // any block length, streaming
    void finish();         // feeds the interpolation's tail (zeros) so the last samples count
    double peak() const;   // linear; valid after finish()
    double peakDb() const; // 20 log10(peak), -inf for silence
    void reset();

  private:
    static constexpr int kFactor = 16;
    // The interpolation reaches this many samples to either side of a point.
    static constexpr int kHalfTaps = windowed_sinc::kHalfWidth;
    static constexpr int kTaps = 2 * kHalfTaps;
    // Samples kept from before the periods being measured: a period needs kHalfTaps - 1 before
    // its first sample and kHalfTaps after it.
    static constexpr int kHistory = kTaps - 1;
    static constexpr int kChunkFrames = 1024;
    // Periods measured together halfway between their samples.
    static constexpr int kBlockPeriods = 16;

    struct Phases;
    static const Phases& phases();
    template <int kCount>
    static void interpolate(const float* window, int first, int stride, float* magnitudes);
    static void interpolateHalfway(const float* samples, int periods, float* magnitudes);
    void measureChunk();
    void measurePeriods(const float* samples, int periods);
    double measureBetweenHalves(const float* window, float* grid, double peak);

    // The samples, and room for the blocks of periods to read past them.
    std::array<float, kHistory + kChunkFrames + kBlockPeriods> left_{};
    std::array<float, kHistory + kChunkFrames + kBlockPeriods> right_{};
    int filled_ = kHistory;
    double peak_ = 0.0;
};

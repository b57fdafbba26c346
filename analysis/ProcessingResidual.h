// How much a processor did to a signal beyond a gain: the part of its output that a slowly
// varying broadband gain applied to its input, after the best static filter, does not
// explain. A plain gain, a delay of a few frames or a fixed EQ leave nothing; a limiter
// leaves what its gain does inside each 50 ms block, and a multiband one what its bands do
// apart from each other.
#pragma once

#include <cstdint>

struct StereoView
{
    const float* left;
    const float* right;
};

// The output's frames must be aligned with the input's to within kResidualReachFrames.
constexpr int kResidualReachFrames = 16;
constexpr double kResidualBlockSeconds = 0.05;

// The energy of what the fitted gain and filter do not explain, against the output's
// energy, in dB: lower is cleaner, kResidualFloorDb at the lowest. -inf when the output is
// silent.
constexpr double kResidualFloorDb = -200.0;
double processingResidualDb(StereoView input, StereoView output, int64_t frames, int sampleRate);

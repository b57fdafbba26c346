// The least processing that meets a loudness target under a true-peak ceiling: a plain gain
// where the input's peaks allow it; else the true-peak stage, as long as it takes no more
// than a little of the loudness; else the maximizer in front of the stage; else the stage
// that reached the target; else, for sparse material neither gets loud enough, the stage
// with a fast release.
#pragma once

#include "tools/render/DriveSearch.h"
#include "tools/render/Processing.h"

#include <functional>

// The most loudness (dB) the stage alone may take: beyond it the maximizer shares the work
// (and is kept where it reaches the target). On the mastering benchmark the maximizer left
// about 3 dB less residual than the stage where the stage took 3.7 dB, but only 1 dB less
// where the stage took 0.2 to 2.2 dB: not worth its trial renders.
constexpr double kMostStageCostDb = 3.0;

struct ProcessingChoice
{
    Processing processing;
    DriveResult search; // its search, with the trial renders of every processing tried
};

// What the choice asks of the renders.
struct ProcessingProbe
{
    // The integrated loudness (LUFS) of a render with this processing at this drive (dB).
    std::function<double(Processing, double)> loudnessAt;
    // Whether the input times this drive (dB) keeps its true peak under the ceiling.
    std::function<bool(double)> gainKeepsCeiling;
};

// plainGainDb: the gain that would bring the input to the target unprocessed.
ProcessingChoice findLeastProcessing(double targetLufs, double plainGainDb,
                                     const ProcessingProbe& probe);

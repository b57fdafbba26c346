// The coefficient of the stages' one-pole smoothers.
#pragma once

#include "engine/Units.h"

#include <cmath>

// a = exp(-1 / n) for a time of n frames. When the time is 0 (or not positive) the step is
// immediate: a = 0.
inline double smoothingCoefficient(double ms, double sampleRate)
{
    const double frames = framesFromMs(ms, sampleRate);
    if (!(frames > 0.0))
    {
        return 0.0;
    }
    return std::exp(-1.0 / frames);
}

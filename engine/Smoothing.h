// The coefficient of the stages' one-pole smoothers.
#pragma once

#include <cmath>

// a = exp(-1 / (t * fs * 0.001)) for a time t in ms at sample rate fs. When t * fs is 0 (or not
// positive) the step is immediate: a = 0.
inline double smoothingCoefficient(double ms, double sampleRate)
{
    const double product = ms * sampleRate;
    if (!(product > 0.0))
    {
        return 0.0;
    }
    return std::exp(-1.0 / (product * 0.001));
}

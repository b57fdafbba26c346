#include "engine/SoftKnee.h"

#include <cmath>

namespace
{

constexpr double kLargestBracket = 1024.0;
constexpr double kShapeTolerance = 0.01;

} // namespace

CSoftKnee::CSoftKnee()
{
    solve(kFullScaleInput);
}

void CSoftKnee::solve(double fullScaleInput)
{
    fullScale_ = fullScaleInput;
    // y(X) as a function of h; it rises with h.
    const auto outputAtFullScale = [this](double h)
    { return outputLevel(fullScale_, h, (h + 1.0) * (h + 1.0)); };

    double lower = -1.0;
    double upper = 1.0;
    while (outputAtFullScale(upper) <= 1.0)
    {
        if (upper * 2.0 > kLargestBracket)
        {
            lower = upper;
            upper = 0.0;
            break;
        }
        lower = upper;
        upper *= 2.0;
    }

    double h = (lower + upper) / 2.0;
    for (;;)
    {
        if (outputAtFullScale(h) > 1.0)
        {
            upper = h;
        }
        else
        {
            lower = h;
        }
        if (std::fabs(lower - upper) < kShapeTolerance)
        {
            break;
        }
        h = (lower + upper) / 2.0;
    }
    shape_ = h;
    shapeSquared_ = (h + 1.0) * (h + 1.0);
}

#include "tools/render/Quantizer.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr uint64_t kSeed = 0x9e3779b97f4a7c15ull;
// The sum of the interpolators' tap magnitudes bounds how much larger than its samples a
// signal's peaks between them can be: libebur128's 49-tap sinc reaches 1.9 at its worst
// phase of 4x and 2.3 of 2x; 3 leaves room for finer measures.
constexpr double kInterpolationGain = 3.0;
} // namespace

Quantizer::Quantizer(int bits, bool dither)
    : steps_(std::ldexp(1.0, bits - 1)), highest_(1.0 - 1.0 / steps_), dither_(dither),
      random_(kSeed)
{
}

double Quantizer::peakChange() const
{
    const double largestSampleChange = (dither_ ? 1.5 : 0.5) / steps_;
    return kInterpolationGain * largestSampleChange;
}

// A uniform value in [0, 1) from xorshift64*: fast, and ample for dither.
double Quantizer::uniform()
{
    random_ ^= random_ >> 12;
    random_ ^= random_ << 25;
    random_ ^= random_ >> 27;
    return double((random_ * 0x2545f4914f6cdd1dull) >> 11) * 0x1.0p-53;
}

void Quantizer::process(float* samples, int64_t count)
{
    for (int64_t i = 0; i < count; ++i)
    {
        double scaled = double(samples[i]) * steps_;
        if (dither_)
            scaled += uniform() - uniform();
        const double rounded = std::nearbyint(scaled) / steps_;
        samples[i] = float(std::clamp(rounded, -1.0, highest_));
    }
}

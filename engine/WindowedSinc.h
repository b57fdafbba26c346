// The band-limited interpolation the true-peak stage and the 16x true-peak meter both read
// peaks by: a sinc under a Kaiser window that reaches 64 samples to either side.
#pragma once

#include <cmath>

namespace windowed_sinc
{
constexpr double kPi = 3.141592653589793;
constexpr int kHalfWidth = 64;
constexpr double kKaiserBeta = 8.0;

inline double sinc(double x)
{
    return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

// The modified Bessel function of the first kind and order 0, by its power series. The
// standard library's version sets a global error state, so that two stages designed on two
// threads at once (a host instantiating plug-ins in parallel) would race.
inline double besselI0(double x)
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
} // namespace windowed_sinc

// Natural cubic spline through four knots: the second derivative is zero at both ends.
#pragma once

#include <array>

class CNaturalSpline
{
  public:
    static constexpr int kKnots = 4;

    // Fits the spline through (x[k], y[k]); x must increase. A knot interval of zero width
    // contributes no curvature.
    void fit(const std::array<float, kKnots>& x, const std::array<float, kKnots>& y);

    // The spline at x; beyond the outer knots the end cubics are extended. Inside an interval
    // of zero width the value is 0.
    float evaluate(float x) const;

  private:
    std::array<float, kKnots> x_{};
    std::array<float, kKnots> y_{};
    std::array<float, kKnots> c_{}; // one sixth of the second derivative at each knot
};

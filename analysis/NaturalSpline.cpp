#include "analysis/NaturalSpline.h"

namespace
{
float slope(float x0, float x1, float y0, float y1)
{
    const float h = x1 - x0;
    return h != 0.0f ? (y1 - y0) / h : 0.0f;
}
} // namespace

void CNaturalSpline::fit(const std::array<float, kKnots>& x, const std::array<float, kKnots>& y)
{
    x_ = x;
    y_ = y;
    const float h0 = x[1] - x[0];
    const float h1 = x[2] - x[1];
    const float h2 = x[3] - x[2];
    const float r1 = slope(x[1], x[2], y[1], y[2]) - slope(x[0], x[1], y[0], y[1]);
    const float r2 = slope(x[2], x[3], y[2], y[3]) - slope(x[1], x[2], y[1], y[2]);
    // h(k-1) c(k-1) + 2 (h(k-1) + h(k)) c(k) + h(k) c(k+1) = d(k) - d(k-1) for k = 1, 2 with
    // c0 = c3 = 0: a 2 x 2 system.
    const float a11 = 2.0f * (h0 + h1);
    const float a22 = 2.0f * (h1 + h2);
    const float det = a11 * a22 - h1 * h1;
    c_ = {};
    if (det > 0.0f)
    {
        c_[1] = (a22 * r1 - h1 * r2) / det;
        c_[2] = (a11 * r2 - h1 * r1) / det;
    }
}

float CNaturalSpline::evaluate(float x) const
{
    const int k = x < x_[1] ? 0 : (x < x_[2] ? 1 : 2);
    const float h = x_[k + 1] - x_[k];
    if (h == 0.0f)
        return 0.0f;
    const float d = (y_[k + 1] - y_[k]) / h;
    const float t = x - x_[k];
    return y_[k] + t * (d - h * (2.0f * c_[k] + c_[k + 1])) + 3.0f * c_[k] * t * t +
           (c_[k + 1] - c_[k]) / h * t * t * t;
}

#include "resources/generator/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;

float length(float x, float y)
{
    return std::sqrt(x * x + y * y);
}

Box around(float cx, float cy, float reach)
{
    return {cx - reach, cy - reach, cx + reach, cy + reach};
}
} // namespace

Shader solid(Rgb colour)
{
    return [colour](float, float) { return colour; };
}

Shader verticalGradient(float top, float bottom, Rgb topColour, Rgb bottomColour)
{
    return [=](float, float y)
    {
        const float t = bottom > top ? std::clamp((y - top) / (bottom - top), 0.0f, 1.0f) : 0;
        return mix(topColour, bottomColour, t);
    };
}

Shader radialGradient(float cx, float cy, float radius, Rgb centreColour, Rgb edgeColour)
{
    return [=](float x, float y)
    {
        const float t = radius > 0 ? std::min(length(x - cx, y - cy) / radius, 1.0f) : 1;
        return mix(centreColour, edgeColour, t);
    };
}

Shape circle(float cx, float cy, float radius)
{
    return {[=](float x, float y) { return length(x - cx, y - cy) - radius; },
            around(cx, cy, radius + 1)};
}

Shape roundedBox(const Box& box, float radius)
{
    const float r = std::clamp(radius, 0.0f, std::min(box.width(), box.height()) * 0.5f);
    const float halfW = box.width() * 0.5f - r;
    const float halfH = box.height() * 0.5f - r;
    const float cx = box.centreX();
    const float cy = box.centreY();
    return {[=](float x, float y)
            {
                const float qx = std::fabs(x - cx) - halfW;
                const float qy = std::fabs(y - cy) - halfH;
                const float outside = length(std::max(qx, 0.0f), std::max(qy, 0.0f));
                return outside + std::min(std::max(qx, qy), 0.0f) - r;
            },
            box.inset(-1)};
}

Shape segment(float x0, float y0, float x1, float y1, float width)
{
    const float half = width * 0.5f;
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float lengthSquared = dx * dx + dy * dy;
    return {[=](float x, float y)
            {
                const float t =
                    lengthSquared > 0
                        ? std::clamp(((x - x0) * dx + (y - y0) * dy) / lengthSquared, 0.0f, 1.0f)
                        : 0;
                return length(x - x0 - t * dx, y - y0 - t * dy) - half;
            },
            {std::min(x0, x1) - half - 1, std::min(y0, y1) - half - 1, std::max(x0, x1) + half + 1,
             std::max(y0, y1) + half + 1}};
}

Shape ring(float cx, float cy, float radius, float width)
{
    const float half = width * 0.5f;
    return {[=](float x, float y) { return std::fabs(length(x - cx, y - cy) - radius) - half; },
            around(cx, cy, radius + half + 1)};
}

Shape arc(float cx, float cy, float radius, float width, float start, float sweep)
{
    const float half = width * 0.5f;
    const float endAngle = start - sweep;
    const float sx = pointX(cx, start, radius);
    const float sy = pointY(cy, start, radius);
    const float ex = pointX(cx, endAngle, radius);
    const float ey = pointY(cy, endAngle, radius);
    return {[=](float x, float y)
            {
                const float angle = std::atan2(cy - y, x - cx);
                // How far clockwise from the start the point lies, in 0 to 2 pi.
                const float behind = std::fmod(std::fmod(start - angle, kTwoPi) + kTwoPi, kTwoPi);
                if (behind <= sweep)
                    return std::fabs(length(x - cx, y - cy) - radius) - half;
                return std::min(length(x - sx, y - sy), length(x - ex, y - ey)) - half;
            },
            around(cx, cy, radius + half + 1)};
}

Shape stroked(const Shape& shape, float width)
{
    const float half = width * 0.5f;
    const auto inner = shape.distance;
    return {[=](float x, float y) { return std::fabs(inner(x, y)) - half; },
            shape.bounds.inset(-half - 1)};
}

Shape grown(const Shape& shape, float d)
{
    const auto inner = shape.distance;
    return {[=](float x, float y) { return inner(x, y) - d; },
            shape.bounds.inset(-std::max(d, 0.0f) - 1)};
}

float pointX(float cx, float angle, float radius)
{
    return cx + radius * std::cos(angle);
}

float pointY(float cy, float angle, float radius)
{
    return cy - radius * std::sin(angle);
}

float coverage(float distance, float softness)
{
    return std::clamp(0.5f - distance / std::max(softness, 0.001f), 0.0f, 1.0f);
}

void fillShape(Canvas& canvas, const Shape& shape, const Shader& shader, float opacity,
               float softness)
{
    const float reach = std::max(softness, 1.0f);
    const int left = std::max(0, int(std::floor(shape.bounds.left - reach)));
    const int top = std::max(0, int(std::floor(shape.bounds.top - reach)));
    const int right = std::min(canvas.width(), int(std::ceil(shape.bounds.right + reach)));
    const int bottom = std::min(canvas.height(), int(std::ceil(shape.bounds.bottom + reach)));
    for (int y = top; y < bottom; ++y)
    {
        for (int x = left; x < right; ++x)
        {
            const float px = float(x) + 0.5f;
            const float py = float(y) + 0.5f;
            const float cover = coverage(shape.distance(px, py), softness);
            if (cover > 0)
                canvas.blend(x, y, shader(px, py), cover * opacity);
        }
    }
}

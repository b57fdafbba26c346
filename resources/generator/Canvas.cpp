#include "resources/generator/Canvas.h"

#include <algorithm>
#include <cmath>

Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb shade(Rgb colour, float factor)
{
    if (factor <= 1)
        return {colour.r * factor, colour.g * factor, colour.b * factor};
    return mix(colour, rgb(255, 255, 255), std::min(factor - 1, 1.0f));
}

bool Box::intersects(const Box& other) const
{
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
}

bool Box::contains(const Box& other) const
{
    return left <= other.left && top <= other.top && other.right <= right && other.bottom <= bottom;
}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(size_t(width_) * size_t(height_), fill)
{
}

Rgb Canvas::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return {};
    return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void Canvas::set(int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = colour;
}

void Canvas::blend(int x, int y, Rgb colour, float opacity)
{
    if (!(opacity > 0))
        return;
    set(x, y, mix(at(x, y), colour, std::min(opacity, 1.0f)));
}

void Canvas::fill(Rgb colour)
{
    std::fill(pixels_.begin(), pixels_.end(), colour);
}

Canvas Canvas::crop(int x, int y, int w, int h) const
{
    Canvas part(w, h);
    for (int row = 0; row < part.height_; ++row)
    {
        for (int column = 0; column < part.width_; ++column)
            part.set(column, row, at(x + column, y + row));
    }
    return part;
}

void Canvas::paste(const Canvas& source, int x, int y)
{
    for (int row = 0; row < source.height_; ++row)
    {
        for (int column = 0; column < source.width_; ++column)
            set(x + column, y + row, source.at(column, row));
    }
}

void Canvas::bytesAt(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const
{
    const Rgb c = at(x, y);
    const auto toByte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f))); };
    r = toByte(c.r);
    g = toByte(c.g);
    b = toByte(c.b);
}

// A floating-point RGB image the artwork is painted on, with coverage-weighted blending.
#pragma once

#include <cstdint>
#include <vector>

// A colour with channels from 0 to 255.
struct Rgb
{
    float r = 0;
    float g = 0;
    float b = 0;
};

constexpr Rgb rgb(float r, float g, float b)
{
    return {r, g, b};
}

// Linear interpolation from a (t = 0) to b (t = 1).
Rgb mix(Rgb a, Rgb b, float t);
// The colour scaled toward black (factor below 1) or white (factor above 1).
Rgb shade(Rgb colour, float factor);

// An axis-aligned rectangle in pixels; right and bottom are exclusive.
struct Box
{
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    float width() const { return right - left; }
    float height() const { return bottom - top; }
    float centreX() const { return (left + right) * 0.5f; }
    float centreY() const { return (top + bottom) * 0.5f; }
    Box inset(float d) const { return {left + d, top + d, right - d, bottom - d}; }
    Box shifted(float dx, float dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool intersects(const Box& other) const;
    bool contains(const Box& other) const;
};

class Canvas
{
  public:
    Canvas() = default;
    Canvas(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }

    // Pixels outside the canvas read as black and ignore writes.
    Rgb at(int x, int y) const;
    void set(int x, int y, Rgb colour);
    // Puts colour over the pixel with the given opacity (0 to 1).
    void blend(int x, int y, Rgb colour, float opacity);
    void fill(Rgb colour);

    // A copy of the w by h pixels whose top-left is (x, y).
    Canvas crop(int x, int y, int w, int h) const;
    // Copies source onto this canvas with its top-left at (x, y).
    void paste(const Canvas& source, int x, int y);

    // The pixel rounded to bytes, for writing files.
    void bytesAt(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

// The value types every part of the toolkit passes around: colours, points and rectangles.
#pragma once

#include <algorithm>
#include <cstdint>

// Red, green, blue and alpha, one byte each. Alpha never reaches a device; views only compare it.
struct CColor
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    friend bool operator==(const CColor&, const CColor&) = default;
};

// A pixel position: horizontal, vertical.
struct CPoint
{
    int32_t h = 0;
    int32_t v = 0;

    CPoint& operator+=(const CPoint& other)
    {
        h += other.h;
        v += other.v;
        return *this;
    }
    CPoint& operator-=(const CPoint& other)
    {
        h -= other.h;
        v -= other.v;
        return *this;
    }
    friend CPoint operator+(CPoint a, const CPoint& b) { return a += b; }
    friend CPoint operator-(CPoint a, const CPoint& b) { return a -= b; }
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

// A rectangle in pixels; right and bottom are exclusive.
struct CRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    CPoint topLeft() const { return {left, top}; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect moved(const CPoint& by) const
    {
        return {left + by.h, top + by.v, right + by.h, bottom + by.v};
    }
    CRect intersected(const CRect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    // Inside including the right and bottom edges, as the toolkit's mouse areas count it.
    bool containsInclusive(const CPoint& p) const
    {
        return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom;
    }
    // Inside the pixels the rectangle covers.
    bool contains(const CPoint& p) const
    {
        return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
    }

    friend bool operator==(const CRect&, const CRect&) = default;
};

// A rectangle of the given size at the given top-left corner.
inline CRect rectAt(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, left + width, top + height};
}

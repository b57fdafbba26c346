// Shapes as signed distance fields, painted with anti-aliased coverage.
// Angles are in radians, counter-clockwise from the positive x axis with y pointing up, as
// a knob's geometry is described; canvas rows still grow downward.
#pragma once

#include "resources/generator/Canvas.h"

#include <functional>

// The colour a shape takes at a point.
using Shader = std::function<Rgb(float x, float y)>;

struct Shape
{
    // Signed distance in pixels from a point to the outline: negative inside.
    std::function<float(float x, float y)> distance;
    // Everything the shape covers lies inside.
    Box bounds;
};

Shader solid(Rgb colour);
// From topColour at y = top to bottomColour at y = bottom, constant beyond.
Shader verticalGradient(float top, float bottom, Rgb topColour, Rgb bottomColour);
// From centreColour at (cx, cy) to edgeColour at radius and beyond.
Shader radialGradient(float cx, float cy, float radius, Rgb centreColour, Rgb edgeColour);

Shape circle(float cx, float cy, float radius);
Shape roundedBox(const Box& box, float radius);
// A stroke of the given width from (x0, y0) to (x1, y1) with round ends.
Shape segment(float x0, float y0, float x1, float y1, float width);
// A circular stroke of the given width centred on the radius.
Shape ring(float cx, float cy, float radius, float width);
// The part of a ring from angle start clockwise over sweep radians, with round ends.
Shape arc(float cx, float cy, float radius, float width, float start, float sweep);
// The outline of a shape as a stroke of the given width centred on it.
Shape stroked(const Shape& shape, float width);
// The shape grown (positive) or shrunk (negative) by d pixels.
Shape grown(const Shape& shape, float d);

// The point at angle and radius from (cx, cy), in canvas coordinates.
float pointX(float cx, float angle, float radius);
float pointY(float cy, float angle, float radius);

// Fraction of a pixel covered by a shape whose outline lies distance away from the
// pixel's centre, with the edge blurred over softness pixels.
float coverage(float distance, float softness = 1);

// Paints shader through the shape's coverage, times opacity.
void fillShape(Canvas& canvas, const Shape& shape, const Shader& shader, float opacity = 1,
               float softness = 1);

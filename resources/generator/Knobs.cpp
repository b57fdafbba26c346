#include "resources/generator/Knobs.h"

#include "resources/generator/Palette.h"
#include "resources/generator/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
constexpr float kTop = std::numbers::pi_v<float> / 2;
constexpr int kGripNotches = 30;
constexpr int kLargeKnobSize = 60; // knobs at least this big get a ridged grip

// Proportions of a knob, in pixels for its size.
struct KnobGeometry
{
    float centre;
    float arcRadius;
    float arcWidth;
    float bodyRadius;
    float pointerWidth;
};

KnobGeometry geometryFor(int size)
{
    const float s = float(size);
    return {s / 2, s / 2 - std::max(2.4f, s * 0.055f), std::max(2.2f, s * 0.05f), s * 0.335f,
            std::max(1.9f, s * 0.05f)};
}

void drawArcs(Canvas& canvas, const KnobGeometry& g, float angle, ArcOrigin origin)
{
    fillShape(canvas, arc(g.centre, g.centre, g.arcRadius, g.arcWidth, kKnobStartAngle, kKnobSweep),
              solid(palette::kTrack));
    float start = kKnobStartAngle;
    float sweep = kKnobStartAngle - angle;
    if (origin == ArcOrigin::Centre)
    {
        start = std::max(kTop, angle);
        sweep = std::fabs(kTop - angle);
    }
    // A lit arc shorter than its width would show only as a dot.
    if (sweep * g.arcRadius >= g.arcWidth * 0.5f)
        fillShape(canvas, arc(g.centre, g.centre, g.arcRadius, g.arcWidth * 0.8f, start, sweep),
                  solid(palette::kAccent));
}

void drawBody(Canvas& canvas, const KnobGeometry& g, float angle, int size)
{
    const float c = g.centre;
    const float r = g.bodyRadius;
    fillShape(canvas, circle(c, c + r * 0.12f, r + 0.5f), solid(rgb(0, 0, 0)), 0.55f, r * 0.35f);
    fillShape(canvas, circle(c, c, r),
              verticalGradient(c - r, c + r, palette::kKnobLight, palette::kKnobDark));
    if (size >= kLargeKnobSize)
    {
        // Ridges that turn with the knob.
        for (int notch = 0; notch < kGripNotches; ++notch)
        {
            const float a = angle + float(notch) * 2 * std::numbers::pi_v<float> / kGripNotches;
            fillShape(canvas,
                      segment(pointX(c, a, r - 2.6f), pointY(c, a, r - 2.6f),
                              pointX(c, a, r - 0.6f), pointY(c, a, r - 0.6f), 1.2f),
                      solid(palette::kKnobDark), 0.7f);
        }
    }
    const float cap = r * (size >= kLargeKnobSize ? 0.8f : 0.84f);
    fillShape(canvas, circle(c, c, cap),
              verticalGradient(c - cap, c + cap, shade(palette::kKnobDark, 1.05f),
                               shade(palette::kKnobLight, 0.92f)));
    fillShape(canvas, ring(c, c, cap - 0.25f, 0.9f),
              verticalGradient(c - cap, c + cap, rgb(150, 166, 184), rgb(40, 48, 58)), 0.8f);
    fillShape(canvas, ring(c, c, r - 0.4f, 0.9f),
              verticalGradient(c - r, c + r, rgb(170, 186, 204), rgb(20, 26, 32)), 0.7f);
    fillShape(canvas,
              segment(pointX(c, angle, cap * 0.28f), pointY(c, angle, cap * 0.28f),
                      pointX(c, angle, cap * 0.92f), pointY(c, angle, cap * 0.92f), g.pointerWidth),
              solid(palette::kPointer));
}
} // namespace

float knobAngle(int frame, int frames)
{
    if (frames < 2)
        return kKnobStartAngle;
    return kKnobStartAngle - kKnobSweep * float(frame) / float(frames - 1);
}

Canvas drawKnobStrip(const Artwork& art, ArcOrigin origin)
{
    const int size = art.width;
    const int frameHeight = imageHeight(art);
    const KnobGeometry g = geometryFor(size);
    Canvas strip(art.width, art.height, palette::kSection);
    for (int frame = 0; frame < art.images; ++frame)
    {
        Canvas knob(size, frameHeight, palette::kSection);
        const float angle = knobAngle(frame, art.images);
        drawArcs(knob, g, angle, origin);
        drawBody(knob, g, angle, size);
        strip.paste(knob, 0, frame * frameHeight);
    }
    return strip;
}

#include "resources/generator/Buttons.h"

#include "resources/generator/Palette.h"
#include "resources/generator/Shapes.h"

#include <cmath>

namespace
{
constexpr Rgb kBodyTop = rgb(70, 86, 104);
constexpr Rgb kBodyBottom = rgb(46, 58, 72);
constexpr Rgb kPressedTop = rgb(34, 44, 56);
constexpr Rgb kPressedBottom = rgb(52, 64, 78);

// Raised (or, when pressed, sunken) rounded body filling the box.
void drawBody(Canvas& canvas, const Box& box, float radius, bool pressed)
{
    fillShape(canvas, roundedBox(box.shifted(0, 1), radius), solid(rgb(0, 0, 0)), 0.5f, 2);
    const Shape body = roundedBox(box, radius);
    fillShape(canvas, body,
              pressed ? verticalGradient(box.top, box.bottom, kPressedTop, kPressedBottom)
                      : verticalGradient(box.top, box.bottom, kBodyTop, kBodyBottom));
    fillShape(canvas, stroked(grown(body, -0.5f), 1),
              pressed ? verticalGradient(box.top, box.bottom, rgb(14, 18, 24), rgb(70, 86, 104))
                      : verticalGradient(box.top, box.bottom, rgb(126, 144, 164), rgb(18, 24, 30)),
              0.8f);
}

void drawLed(Canvas& canvas, float cx, float cy, float radius, Rgb colour, bool lit)
{
    if (lit)
        fillShape(canvas, circle(cx, cy, radius * 2.2f), solid(colour), 0.35f, radius * 2);
    fillShape(canvas, circle(cx, cy, radius + 0.8f), solid(rgb(10, 14, 18)));
    fillShape(canvas, circle(cx, cy, radius),
              lit ? radialGradient(cx - radius * 0.3f, cy - radius * 0.3f, radius * 1.4f,
                                   shade(colour, 1.6f), colour)
                  : radialGradient(cx - radius * 0.3f, cy - radius * 0.3f, radius * 1.4f,
                                   shade(colour, 0.45f), shade(colour, 0.2f)));
}

Canvas stackStates(const Artwork& art, const Canvas& upper, const Canvas& lower)
{
    Canvas strip(art.width, art.height, palette::kSection);
    strip.paste(upper, 0, 0);
    strip.paste(lower, 0, imageHeight(art));
    return strip;
}
} // namespace

Canvas drawLedButton(const Artwork& art, const LedButtonDesign& design, const TextRenderer& text)
{
    const int h = imageHeight(art);
    const auto state = [&](bool lit)
    {
        Canvas image(art.width, h, palette::kSection);
        const Box body{1.5f, 1.5f, float(art.width) - 1.5f, float(h) - 2.5f};
        drawBody(image, body, 4, lit);
        if (lit)
            fillShape(image, stroked(roundedBox(body.inset(1.5f), 3), 1), solid(design.led), 0.45f);
        const float ledRadius = std::min(3.2f, body.height() * 0.16f);
        const float ledX = body.left + 5 + ledRadius;
        drawLed(image, ledX, body.centreY(), ledRadius, design.led, lit);
        TextStyle style{8, Weight::Bold, lit ? palette::kTitle : palette::kCaptionDim, 0.6f};
        const Box label{ledX + ledRadius + 2, body.top, body.right - 3, body.bottom};
        text.drawInBox(image, design.text, label, style, Align::Centre);
        return image;
    };
    const bool upperLit = !design.litWhenOn;
    return stackStates(art, state(upperLit), state(!upperLit));
}

Canvas drawSlideSwitch(const Artwork& art)
{
    const int h = imageHeight(art);
    const float w = float(art.width);
    const auto state = [&](bool on)
    {
        Canvas image(art.width, h, palette::kSection);
        const Box track{w / 2 - 6.5f, 2, w / 2 + 6.5f, float(h) - 2};
        fillShape(image, roundedBox(track.inset(-1), 5.5f), solid(rgb(70, 88, 108)), 0.6f);
        fillShape(image, roundedBox(track, 5), solid(palette::kWell));
        const float thumbHeight = 15;
        const Box thumb = on ? Box{track.left + 1.5f, track.top + 1.5f, track.right - 1.5f,
                                   track.top + 1.5f + thumbHeight}
                             : Box{track.left + 1.5f, track.bottom - 1.5f - thumbHeight,
                                   track.right - 1.5f, track.bottom - 1.5f};
        if (on)
            fillShape(image, roundedBox(thumb, 4), solid(palette::kAccent), 0.5f, 4);
        drawBody(image, thumb, 3.5f, false);
        if (on)
            fillShape(image, roundedBox(thumb.inset(1), 2.5f), solid(palette::kAccent), 0.35f);
        const Rgb grip = on ? palette::kAccent : rgb(24, 30, 38);
        for (int line = -1; line <= 1; ++line)
        {
            const float y = thumb.centreY() + float(line) * 3;
            fillShape(image, segment(thumb.left + 3, y, thumb.right - 3, y, 1.2f), solid(grip),
                      on ? 1.0f : 0.8f);
        }
        return image;
    };
    return stackStates(art, state(false), state(true));
}

Canvas drawResetButton(const Artwork& art)
{
    const int h = imageHeight(art);
    const float c = float(art.width) / 2;
    const float cy = float(h) / 2;
    const auto state = [&](bool pressed)
    {
        Canvas image(art.width, h, palette::kSection);
        const float r = 8;
        fillShape(image, circle(c, cy + 1, r + 0.5f), solid(rgb(0, 0, 0)), 0.5f, 2);
        fillShape(image, circle(c, cy, r + 1), solid(palette::kWell));
        if (pressed)
        {
            // Held down: sunk half a pixel and lit from inside.
            fillShape(image, circle(c, cy + 0.5f, r - 0.5f),
                      radialGradient(c, cy, r, shade(palette::kAccent, 0.9f),
                                     shade(palette::kAccent, 0.45f)));
            fillShape(image, ring(c, cy + 0.5f, r - 1, 0.9f),
                      verticalGradient(cy - r, cy + r, rgb(20, 40, 52), rgb(150, 220, 245)), 0.8f);
        }
        else
        {
            fillShape(image, circle(c, cy, r - 0.5f),
                      verticalGradient(cy - r, cy + r, rgb(92, 110, 130), kBodyBottom));
            fillShape(image, ring(c, cy, r - 1, 0.9f),
                      verticalGradient(cy - r, cy + r, rgb(150, 168, 188), rgb(24, 30, 38)), 0.8f);
        }
        return image;
    };
    return stackStates(art, state(false), state(true));
}

Canvas drawInfoButton(const Artwork& art, const TextRenderer& text)
{
    const int h = imageHeight(art);
    const auto state = [&](bool pressed)
    {
        Canvas image(art.width, h, palette::kPanelBottom);
        const Box body{0.5f, 0.5f, float(art.width) - 0.5f, float(h) - 1.5f};
        drawBody(image, body, body.height() / 2, pressed);
        const float iconX = body.left + 8;
        const float iconY = body.centreY();
        const Rgb iconColour = pressed ? palette::kTitle : palette::kAccent;
        fillShape(image, ring(iconX, iconY, 4.6f, 1.1f), solid(iconColour));
        fillShape(image, circle(iconX, iconY - 2.1f, 0.75f), solid(iconColour));
        fillShape(image, segment(iconX, iconY - 0.4f, iconX, iconY + 2.4f, 1.3f),
                  solid(iconColour));
        TextStyle style{8, Weight::Bold, pressed ? palette::kTitle : palette::kCaption, 0.6f};
        text.drawInBox(image, "MANUAL", {iconX + 6, body.top, body.right - 4, body.bottom}, style,
                       Align::Centre);
        return image;
    };
    return stackStates(art, state(false), state(true));
}

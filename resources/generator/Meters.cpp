#include "resources/generator/Meters.h"

#include "resources/generator/Palette.h"
#include "resources/generator/Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
constexpr float kBottomDecibels = -24;
constexpr float kTopDecibels = 12;
constexpr float kDecibelsPerFrame = 0.5f;
constexpr int kLedRowsPerSegment = 3;
constexpr float kDarkLedLevel = 0.2f;

Rgb levelColour(float decibels)
{
    if (decibels > 0)
        return palette::kLedRed;
    if (decibels > -6)
        return palette::kLedYellow;
    return palette::kLedGreen;
}

// One LED colour per pixel row: the lit colour, or a dim version of it, with a dark seam
// between segments and across the bar's edges.
Canvas drawLedBar(const Artwork& art, bool lit, Rgb (*rowColour)(int row, int rows))
{
    Canvas bar(art.width, art.height, palette::kWell);
    for (int row = 0; row < art.height; ++row)
    {
        const bool seam = row % kLedRowsPerSegment == kLedRowsPerSegment - 1;
        const Rgb colour = rowColour(row, art.height);
        for (int x = 1; x < art.width - 1; ++x)
        {
            // Brighter in the middle, as a lens over the LED.
            const float across = std::fabs((float(x) + 0.5f) / float(art.width) - 0.5f) * 2;
            const float glow = 1.15f - 0.35f * across * across;
            Rgb c = lit ? shade(colour, glow) : mix(palette::kWell, colour, kDarkLedLevel * glow);
            if (seam)
                c = mix(palette::kWell, c, lit ? 0.45f : 0.5f);
            bar.set(x, row, c);
        }
    }
    return bar;
}

Rgb levelRowColour(int row, int rows)
{
    const float decibelsPerRow = (kTopDecibels - kBottomDecibels) / float(rows);
    return levelColour(kTopDecibels - (float(row) + 0.5f) * decibelsPerRow);
}

Rgb reductionRowColour(int, int)
{
    return palette::kLedCyan;
}

std::string readout(int frame)
{
    if (frame == 0)
        return "< -24 dB";
    char text[16];
    std::snprintf(text, sizeof text, "%+.1f dB", double(outputMeterDecibels(frame)));
    return text;
}
} // namespace

Canvas drawLevelLeds(const Artwork& art, bool lit)
{
    return drawLedBar(art, lit, levelRowColour);
}

Canvas drawReductionLeds(const Artwork& art, bool lit)
{
    return drawLedBar(art, lit, reductionRowColour);
}

float outputMeterDecibels(int frame)
{
    return kBottomDecibels + kDecibelsPerFrame * float(frame);
}

int outputMeterFrame(float decibels)
{
    const float frame = std::round((decibels - kBottomDecibels) / kDecibelsPerFrame);
    return int(std::clamp(frame, 0.0f, (kTopDecibels - kBottomDecibels) / kDecibelsPerFrame));
}

Canvas drawOutputMeterStrip(const Artwork& art, const TextRenderer& text)
{
    const int h = imageHeight(art);
    const float w = float(art.width);
    const float barLeft = 8;
    const float barRight = w - 8;
    const float barTop = 6;
    const float barBottom = 16;
    const auto xOf = [&](float decibels)
    {
        return barLeft + (decibels - kBottomDecibels) / (kTopDecibels - kBottomDecibels) *
                             (barRight - barLeft);
    };

    Canvas scale(art.width, h, palette::kScreen);
    fillShape(scale, stroked(roundedBox({0.5f, 0.5f, w - 0.5f, float(h) - 0.5f}, 2), 1),
              solid(palette::kScreenEdge));
    for (int step = 0; step <= 12; ++step)
    {
        const float decibels = kBottomDecibels + 3.0f * float(step);
        const float x = std::round(xOf(decibels)) + 0.5f;
        const bool major = step % 2 == 0;
        fillShape(scale, segment(x, barBottom + 2, x, barBottom + (major ? 5 : 3.5f), 1),
                  solid(major ? palette::kCaption : palette::kCaptionDim));
        if (major)
        {
            char label[8];
            std::snprintf(label, sizeof label, decibels > 0 ? "+%.0f" : "%.0f", double(decibels));
            text.draw(scale, label, x, barBottom + 13, {7, Weight::Regular, palette::kCaption, 0},
                      Align::Centre);
        }
    }

    Canvas strip(art.width, art.height, palette::kScreen);
    for (int frame = 0; frame < art.images; ++frame)
    {
        Canvas image = scale;
        const float level = frame == 0 ? kBottomDecibels - 1 : outputMeterDecibels(frame);
        const float litRight = std::clamp(xOf(level), barLeft, barRight);
        for (int x = int(barLeft); x < int(barRight); ++x)
        {
            const float decibels = kBottomDecibels + (float(x) + 0.5f - barLeft) /
                                                         (barRight - barLeft) *
                                                         (kTopDecibels - kBottomDecibels);
            const Rgb colour = levelColour(decibels);
            const bool seam = (x - int(barLeft)) % 3 == 2;
            const float lit = std::clamp(litRight - float(x), 0.0f, 1.0f);
            Rgb c = mix(mix(palette::kScreen, colour, 0.14f), colour, lit);
            if (seam)
                c = mix(palette::kScreen, c, 0.4f);
            for (int y = int(barTop); y < int(barBottom); ++y)
            {
                const float down = (float(y) + 0.5f - barTop) / (barBottom - barTop);
                image.set(x, y, shade(c, 1.12f - 0.3f * down));
            }
        }
        const Rgb readoutColour = frame == 0 ? palette::kCaptionDim : levelColour(level);
        text.draw(image, readout(frame), w / 2, float(h) - 4,
                  {8, Weight::Bold, mix(readoutColour, palette::kTitle, 0.35f), 0.3f},
                  Align::Centre);
        strip.paste(image, 0, frame * h);
    }
    return strip;
}

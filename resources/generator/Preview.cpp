#include "resources/generator/Preview.h"

#include "engine/ControlTable.h"
#include "resources/generator/Artwork.h"
#include "resources/generator/Meters.h"
#include "resources/generator/Palette.h"
#include "resources/generator/PanelLayout.h"
#include "resources/generator/Viewer.h"

#include <cmath>

namespace
{
constexpr Rgb kGridColour = rgb(104, 160, 182);
constexpr float kAlternateKnobValue = 0.75f;
constexpr float kPreviewLevelDecibels = -3;
constexpr float kPreviewReductionDecibels = 4;
// Where those sit on the band meters' scales: level -24 to +12 dB, reduction 0 to 18 dB.
constexpr float kPreviewLevelPosition = (kPreviewLevelDecibels + 24) / 36;
constexpr float kPreviewReductionPosition = (18 - kPreviewReductionDecibels) / 18;

const Canvas& imageOf(const std::map<int, Canvas>& images, int id)
{
    static const Canvas empty;
    const auto found = images.find(id);
    return found == images.end() ? empty : found->second;
}

// The image of a strip the editor shows for a value.
Canvas frameFor(const Canvas& strip, const Artwork& art, int frame)
{
    const int h = imageHeight(art);
    return strip.crop(0, frame * h, art.width, h);
}

int knobFrame(const Artwork& art, float value)
{
    const int span = imageHeight(art) * (art.images - 1);
    const int y = int(float(span) * value);
    return std::max(0, y / imageHeight(art));
}

void placeControl(Canvas& panel, const std::map<int, Canvas>& images, const ControlRow& row,
                  PreviewState state, const TextRenderer& text)
{
    const Artwork* art = findArtwork(row.bitmap);
    if (art == nullptr)
        return;
    const Canvas& strip = imageOf(images, row.bitmap);
    float value = float(realToNormalized(row.defaultValue, row.id));
    if (row.kind == kKindAnimKnob)
    {
        if (state == PreviewState::Alternate)
            value = kAlternateKnobValue;
        panel.paste(frameFor(strip, *art, knobFrame(*art, value)), row.x, row.y);
        const Box display = valueDisplayBox(row);
        panel.paste(Canvas(int(display.width()), int(display.height()), palette::kValueDisplay),
                    int(display.left), int(display.top));
        char label[kValueTextSize];
        row.formatter(float(normalizedToReal(value, row.id)), label);
        text.drawInBox(panel, label, display, {9, Weight::Regular, palette::kValueText, 0},
                       Align::Centre);
    }
    else if (row.kind == kKindOnOffButton)
    {
        bool on = value != 0;
        if (state == PreviewState::Alternate)
            on = !on;
        panel.paste(frameFor(strip, *art, on ? 1 : 0), row.x, row.y);
    }
    else if (row.kind == kKindKickButton)
    {
        panel.paste(frameFor(strip, *art, state == PreviewState::Alternate ? 1 : 0), row.x, row.y);
    }
}

// The meters as the editor composes them: the upper part from one bitmap, the rest from the
// other, split at the row the value reaches.
void placeLedMeter(Canvas& panel, const std::map<int, Canvas>& images, const ControlRow& row,
                   float position)
{
    const Canvas& upper = imageOf(images, row.bitmap);
    const Canvas& lower = imageOf(images, row.secondBitmap);
    const int split = int((1 - position) * float(upper.height()) + 0.5f);
    panel.paste(upper.crop(0, 0, upper.width(), split), row.x, row.y);
    panel.paste(lower.crop(0, split, lower.width(), lower.height() - split), row.x, row.y + split);
}

void placeViewer(Canvas& panel, const std::map<int, Canvas>& images, const TextRenderer& text)
{
    const ControlRow& row = rowNamed("FFTGrap");
    const Artwork& art = *findArtwork(row.bitmap);
    panel.paste(imageOf(images, row.bitmap), row.x, row.y);
    const Box plot = viewerPlotBox(art).shifted(float(row.x), float(row.y));
    for (int x = int(plot.left); x < int(plot.right); ++x)
    {
        panel.set(x, int(plot.top), kGridColour);
        panel.set(x, int(plot.bottom) - 1, kGridColour);
    }
    for (int y = int(plot.top); y < int(plot.bottom); ++y)
    {
        panel.set(int(plot.left), y, kGridColour);
        panel.set(int(plot.right) - 1, y, kGridColour);
    }
    const TextStyle legend{10, Weight::Bold, kGridColour, 0};
    text.draw(panel, "Audio Spectrum +4dB/Oct Slope", plot.left + 5, plot.top + 13, legend,
              Align::Left);
    text.draw(panel, "- source", plot.left + 5, plot.top + 25,
              {10, Weight::Bold, rgb(128, 255, 128), 0}, Align::Left);
    text.draw(panel, "- total output", plot.left + 5, plot.top + 37,
              {10, Weight::Bold, rgb(255, 69, 62), 0}, Align::Left);
    const TextStyle axis{11, Weight::Regular, kGridColour, 0};
    text.draw(panel, "-12", plot.left - 2, plot.top + 33, axis, Align::Right);
    text.draw(panel, "1kHz", plot.left + 178, plot.bottom + 11, axis, Align::Left);
}
} // namespace

Canvas composePreview(const std::map<int, Canvas>& images, const TextRenderer& text,
                      PreviewState state)
{
    Canvas panel = imageOf(images, artwork::kBackground);
    placeViewer(panel, images, text);
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.kind >= kKindLevelMeterLow && row.kind <= kKindLevelMeterHigh)
            placeLedMeter(panel, images, row, kPreviewLevelPosition);
        else if (row.kind >= kKindReductionMeterLow && row.kind <= kKindReductionMeterHigh)
            placeLedMeter(panel, images, row, kPreviewReductionPosition);
        else if (row.kind == kKindOutputMeter)
        {
            const Artwork& art = *findArtwork(row.bitmap);
            const int frame = outputMeterFrame(kPreviewLevelDecibels);
            panel.paste(frameFor(imageOf(images, row.bitmap), art, frame), row.x, row.y);
        }
        else
            placeControl(panel, images, row, state, text);
    }
    const Artwork& info = *findArtwork(artwork::kInfoButton);
    const Box infoBox = infoButtonBox();
    panel.paste(frameFor(imageOf(images, info.id), info, state == PreviewState::Alternate ? 1 : 0),
                int(infoBox.left), int(infoBox.top));
    return panel;
}

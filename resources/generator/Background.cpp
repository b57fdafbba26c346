#include "resources/generator/Background.h"

#include "resources/generator/Palette.h"
#include "resources/generator/PanelLayout.h"
#include "resources/generator/Shapes.h"

#include <cmath>

namespace
{
constexpr float kSectionRadius = 6;
constexpr float kPanelGradientEnd = 340; // flat below, where the information button sits

void drawSection(Canvas& canvas, const Box& box)
{
    fillShape(canvas, roundedBox(box.shifted(0, 2), kSectionRadius), solid(rgb(0, 0, 0)), 0.45f, 5);
    fillShape(canvas, roundedBox(box, kSectionRadius), solid(palette::kSection));
    fillShape(canvas, stroked(roundedBox(box.inset(0.5f), kSectionRadius - 0.5f), 1),
              verticalGradient(box.top, box.top + 14, palette::kSectionEdgeLight,
                               palette::kSectionEdgeDark));
}

// A recess just around an opaque rectangle that a view fills.
void drawWell(Canvas& canvas, const Box& box, float rim, float radius)
{
    const Box outer = box.inset(-rim);
    fillShape(canvas, roundedBox(outer, radius), solid(palette::kWell));
    fillShape(canvas, stroked(roundedBox(outer.inset(-0.5f), radius + 0.5f), 1),
              verticalGradient(outer.top, outer.bottom, rgb(12, 16, 22), rgb(74, 92, 112)), 0.7f);
}

void drawValueWells(Canvas& canvas)
{
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.showValue == 0)
            continue;
        const Box display = valueDisplayBox(row);
        drawWell(canvas, display, 1, 1.5f);
        fillShape(canvas, roundedBox(display, 0), solid(palette::kValueDisplay));
    }
}

// Tick marks to the right of a band meter, every spacing rows from its top.
void drawMeterTicks(Canvas& canvas, const Box& meter, int spacing)
{
    for (float y = meter.top + float(spacing); y < meter.bottom; y += float(spacing))
    {
        const float row = std::floor(y) + 0.5f;
        fillShape(canvas, segment(meter.right + 2, row, meter.right + 4.5f, row, 1),
                  solid(palette::kCaptionDim));
    }
}

void drawMeterHousings(Canvas& canvas)
{
    const char* reduction[] = {"LowRedMeter", "MidRedMeter", "HiRedMeter"};
    const char* level[] = {"LowVuMeter", "MidVuMeter", "HiVuMeter"};
    for (int band = 0; band < 3; ++band)
    {
        const Box reductionMeter = controlBox(rowNamed(reduction[band]));
        const Box levelMeter = controlBox(rowNamed(level[band]));
        drawWell(canvas, reductionMeter, 1, 1);
        drawWell(canvas, levelMeter, 1, 1);
        drawMeterTicks(canvas, reductionMeter, 12); // 6 dB of reduction
        drawMeterTicks(canvas, levelMeter, 12);     // 0 dB and -12 dB
    }
    drawWell(canvas, controlBox(rowNamed("VuMeter")), 2, 3);
    drawWell(canvas, controlBox(rowNamed("FFTGrap")), 2, 3);
}

// A thin groove: a dark line with a faint light one beside it.
void drawGroove(Canvas& canvas, float x0, float y0, float x1, float y1)
{
    const float dx = x0 == x1 ? 1.0f : 0.0f;
    const float dy = 1 - dx;
    fillShape(canvas, segment(x0 + 0.5f, y0 + 0.5f, x1 + 0.5f, y1 + 0.5f, 1),
              solid(palette::kSectionEdgeDark), 0.8f);
    fillShape(canvas, segment(x0 + 0.5f + dx, y0 + 0.5f + dy, x1 + 0.5f + dx, y1 + 0.5f + dy, 1),
              solid(palette::kSectionEdgeLight), 0.35f);
}

// Grooves between the band columns, and between the parts of the output column.
void drawDividers(Canvas& canvas)
{
    const Box low = controlBox(rowNamed("LowRedMeter"));
    const Box mid = controlBox(findControlRow(kParamThresholdMid));
    const Box midMeter = controlBox(rowNamed("MidRedMeter"));
    const Box high = controlBox(findControlRow(kParamThresholdHigh));
    const float top = low.top - 14;
    const float bottom = valueDisplayBox(findControlRow(kParamGainLow)).bottom;
    for (const float x :
         {std::floor((low.right + mid.left) / 2), std::floor((midMeter.right + high.left) / 2)})
        drawGroove(canvas, x, top, x, bottom);

    const Box output = panelSections().back();
    const Box meter = controlBox(rowNamed("VuMeter"));
    const Box mode = controlBox(findControlRow(kParamMeterMode));
    const float left = output.left + 12;
    const float right = output.right - 12;
    drawGroove(canvas, left, std::floor((meter.bottom + mode.top) / 2) - 4, right,
               std::floor((meter.bottom + mode.top) / 2) - 4);
    drawGroove(canvas, left, mode.bottom + 26, right, mode.bottom + 26);

    const Box utility = panelSections()[3];
    const float between = bypassResetGrooveY();
    drawGroove(canvas, utility.left + 12, between, utility.right - 12, between);
}

void drawCaptions(Canvas& canvas, const TextRenderer& text)
{
    for (const Caption& caption : panelCaptions())
    {
        TextStyle style = captionTextStyle(caption.style);
        TextStyle shadow = style;
        shadow.colour = rgb(0, 0, 0);
        text.drawInBox(canvas, caption.text, caption.box.shifted(0, 1), shadow, caption.align);
        text.drawInBox(canvas, caption.text, caption.box, style, caption.align);
    }
}

void drawProductName(Canvas& canvas, const TextRenderer& text)
{
    const Box output = panelSections().back();
    const float centre = output.centreX();
    const TextStyle name{30, Weight::Bold, palette::kTitle, 1.5f};
    const TextStyle number{30, Weight::Bold, palette::kAccent, 1.5f};
    const float prefixWidth = text.measure("VRN-", name) + name.tracking;
    const float left = centre - (prefixWidth + text.measure("07", number)) / 2;
    const float baseline = output.bottom - 56;
    text.draw(canvas, "VRN-", left, baseline, name, Align::Left);
    text.draw(canvas, "07", left + prefixWidth, baseline, number, Align::Left);
    const float lineY = baseline + 8.5f;
    fillShape(canvas, segment(centre - 70, lineY, centre + 70, lineY, 1), solid(palette::kAccent),
              0.6f);
    text.draw(canvas, "THREE-BAND LIMITER / MAXIMIZER", centre, baseline + 21,
              {8, Weight::Bold, palette::kCaption, 1.0f}, Align::Centre);
}
} // namespace

Canvas drawBackground(const Artwork& art, const TextRenderer& text)
{
    Canvas panel(art.width, art.height);
    fillShape(panel, roundedBox({0, 0, float(art.width), float(art.height)}, 0),
              verticalGradient(0, kPanelGradientEnd, palette::kPanelTop, palette::kPanelBottom));
    for (const Box& section : panelSections())
        drawSection(panel, section);
    drawDividers(panel);
    drawMeterHousings(panel);
    drawValueWells(panel);
    drawCaptions(panel, text);
    drawProductName(panel, text);
    return panel;
}

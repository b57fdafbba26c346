#include "resources/generator/PanelLayout.h"

#include "resources/generator/Artwork.h"
#include "resources/generator/Palette.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr float kValueDisplayHeight = 12;
constexpr float kValueDisplayMargin = 2;
constexpr float kInfoButtonRightMargin = 32;
constexpr float kInfoButtonBottomMargin = 3;
constexpr float kCaptionHeight = 10;
constexpr float kCaptionGap = 2;

// A caption centred on x whose box spans width pixels from top.
Caption centred(std::string text, float x, float top, float width, CaptionStyle style)
{
    return {std::move(text),
            {x - width / 2, top, x + width / 2, top + kCaptionHeight},
            style,
            Align::Centre};
}

// A caption centred above the box, ending kCaptionGap pixels above it.
Caption above(std::string text, const Box& box, float width, CaptionStyle style)
{
    return centred(std::move(text), box.centreX(), box.top - kCaptionGap - kCaptionHeight, width,
                   style);
}

// A caption centred below the box, starting kCaptionGap pixels below it.
Caption below(std::string text, const Box& box, float width, CaptionStyle style)
{
    return centred(std::move(text), box.centreX(), box.bottom + kCaptionGap, width, style);
}

Box parameterBox(int index)
{
    return controlBox(findControlRow(index));
}

Box parameterValueBox(int index)
{
    return valueDisplayBox(findControlRow(index));
}
} // namespace

const ControlRow& rowNamed(const char* name)
{
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (std::strcmp(row.name, name) == 0)
            return row;
    }
    return kControlTable[0];
}

Box controlBox(const ControlRow& row)
{
    const Artwork* art = findArtwork(row.bitmap);
    if (art == nullptr)
        return {float(row.x), float(row.y), float(row.x), float(row.y)};
    return {float(row.x), float(row.y), float(row.x + art->width),
            float(row.y + imageHeight(*art))};
}

Box valueDisplayBox(const ControlRow& row)
{
    const Artwork* art = findArtwork(row.bitmap);
    if (row.showValue == 0 || art == nullptr)
        return {};
    const float left = float(row.x + row.valueDx);
    const float top = float(row.y + row.valueDy);
    return {left - kValueDisplayMargin, top, left + float(art->width) + kValueDisplayMargin,
            top + kValueDisplayHeight};
}

Box infoButtonBox()
{
    const Artwork& art = *findArtwork(artwork::kInfoButton);
    const float left = kPanelWidth - kInfoButtonRightMargin - float(art.width);
    const float top = kPanelHeight - kInfoButtonBottomMargin - float(imageHeight(art));
    return {left, top, left + float(art.width), top + float(imageHeight(art))};
}

float bypassResetGrooveY()
{
    return std::floor((controlBox(findControlRow(kParamBypass)).bottom +
                       controlBox(findControlRow(kParamReset)).top) /
                      2);
}

std::vector<Box> ceilingBoxes()
{
    const CeilingPlace& place = kCeilingPlace;
    const Artwork& knob = *findArtwork(place.knobBitmap);
    const auto boxOf = [](const PanelRect& r) {
        return Box{float(r.left), float(r.top), float(r.right), float(r.bottom)};
    };
    return {{float(place.knobX), float(place.knobY), float(place.knobX + knob.width),
             float(place.knobY + imageHeight(knob))},
            boxOf(place.caption),
            boxOf(place.value),
            boxOf(place.reduction)};
}

TextStyle captionTextStyle(CaptionStyle style)
{
    switch (style)
    {
    case CaptionStyle::Header:
        return {9, Weight::Bold, palette::kTitle, 1.0f};
    case CaptionStyle::Label:
        return {8, Weight::Bold, palette::kCaption, 0.3f};
    case CaptionStyle::Note:
        return {8, Weight::Regular, palette::kCaptionDim, 0.2f};
    case CaptionStyle::Scale:
        return {8, Weight::Bold, mix(palette::kCaption, palette::kCaptionDim, 0.4f), 0.3f};
    }
    return {};
}

std::vector<Box> panelSections()
{
    return {
        {5, 5, 553, 168},     // viewer and its switches
        {5, 172, 241, 369},   // the three bands and the crossovers
        {247, 172, 442, 369}, // drive, output, timing and SafeClip
        {448, 172, 553, 369}, // bypass and reset
        {559, 5, 749, 350},   // output meter, its mode and the product name
    };
}

std::vector<Caption> panelCaptions()
{
    std::vector<Caption> captions;
    const auto add = [&captions](Caption caption) { captions.push_back(std::move(caption)); };

    // Band columns: a knob with its meter beside it.
    const char* bands[] = {"LOW", "MID", "HIGH"};
    const char* reductionMeters[] = {"LowRedMeter", "MidRedMeter", "HiRedMeter"};
    for (int band = 0; band < 3; ++band)
    {
        const Box knob = parameterBox(kParamThresholdLow + band);
        const Box meter = controlBox(rowNamed(reductionMeters[band]));
        const Box column{knob.left, std::min(knob.top, meter.top), meter.right, knob.bottom};
        add(above(bands[band], column, 48, CaptionStyle::Header));
    }
    const Box threshold = parameterBox(kParamThresholdLow);
    const Box gain = parameterBox(kParamGainLow);
    add({"THRESHOLD",
         {8, threshold.centreY() - 5, threshold.left - 3, threshold.centreY() + 5},
         CaptionStyle::Label,
         Align::Right});
    add({"GAIN",
         {8, gain.centreY() - 5, gain.left - 3, gain.centreY() + 5},
         CaptionStyle::Label,
         Align::Right});
    add(below("LOW / MID", parameterValueBox(kParamCrossoverLow), 60, CaptionStyle::Label));
    add(below("MID / HIGH", parameterValueBox(kParamCrossoverHigh), 60, CaptionStyle::Label));
    add(above("BAND LINK", parameterBox(kParamSens), 56, CaptionStyle::Label));

    add(above("LIMITER GAIN", parameterBox(kParamLimiterGain), 84, CaptionStyle::Header));
    add(above("OUTPUT GAIN", parameterBox(kParamOutputGain), 84, CaptionStyle::Header));
    add(above("ATTACK", parameterBox(kParamAttack), 44, CaptionStyle::Label));
    add(above("RELEASE", parameterBox(kParamRelease), 44, CaptionStyle::Label));
    add(below("LOOK-AHEAD", parameterBox(kParamSafeClip), 84, CaptionStyle::Note));

    add(above("PLUG-IN BYPASS", parameterBox(kParamBypass), 84, CaptionStyle::Label));
    add(below("RESET ALL", parameterBox(kParamReset), 60, CaptionStyle::Label));

    add(above("ENV", parameterBox(kParamViewerMode), 30, CaptionStyle::Scale));
    add(below("FFT", parameterBox(kParamViewerMode), 30, CaptionStyle::Scale));
    add(above("ACT", parameterBox(kParamViewerPause), 30, CaptionStyle::Scale));
    add(below("PAUSE", parameterBox(kParamViewerPause), 32, CaptionStyle::Scale));
    add(above("LEVEL", parameterBox(kParamViewerLevel), 50, CaptionStyle::Label));
    add(above("TIME", parameterBox(kParamViewerTime), 50, CaptionStyle::Label));

    const Box meter = controlBox(rowNamed("VuMeter"));
    add(above("OUTPUT", meter, 100, CaptionStyle::Header));
    const Box mode = parameterBox(kParamMeterMode);
    add(above("REDUC", mode, 36, CaptionStyle::Scale));
    add(below("PEAK", mode, 36, CaptionStyle::Scale));
    add({"METER",
         {mode.left - 60, mode.centreY() - 5, mode.left - 6, mode.centreY() + 5},
         CaptionStyle::Label,
         Align::Right});
    // What each position shows, beside the thumb's two places.
    add({"GAIN REDUCTION",
         {mode.right + 6, mode.top + 4, mode.right + 96, mode.top + 14},
         CaptionStyle::Note,
         Align::Left});
    add({"OUTPUT PEAK",
         {mode.right + 6, mode.bottom - 14, mode.right + 96, mode.bottom - 4},
         CaptionStyle::Note,
         Align::Left});
    return captions;
}

std::vector<Box> occupiedBoxes()
{
    std::vector<Box> boxes;
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.kind == kKindNone)
            continue;
        boxes.push_back(controlBox(row));
        if (row.showValue != 0)
            boxes.push_back(valueDisplayBox(row));
    }
    boxes.push_back(infoButtonBox());
    for (const Box& box : ceilingBoxes())
        boxes.push_back(box);
    return boxes;
}

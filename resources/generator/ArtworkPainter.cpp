#include "resources/generator/ArtworkPainter.h"

#include "resources/generator/Background.h"
#include "resources/generator/Buttons.h"
#include "resources/generator/Knobs.h"
#include "resources/generator/Meters.h"
#include "resources/generator/Palette.h"
#include "resources/generator/Viewer.h"

Canvas drawArtwork(const Artwork& art, const TextRenderer& text)
{
    using namespace artwork;
    switch (art.id)
    {
    case kViewer:
        return drawViewer(art);
    case kOutputMeter:
        return drawOutputMeterStrip(art, text);
    case kLevelLedDark:
        return drawLevelLeds(art, false);
    case kLevelLedLit:
        return drawLevelLeds(art, true);
    case kReductionLedDark:
        return drawReductionLeds(art, false);
    case kReductionLedLit:
        return drawReductionLeds(art, true);
    case kSafeClipButton:
        return drawLedButton(art, {"SAFECLIP", palette::kAmber}, text);
    case kBypassButton:
        return drawLedButton(art, {"BYPASS", palette::kLedRed, false}, text);
    case kResetButton:
        return drawResetButton(art);
    case kModeSwitch:
        return drawSlideSwitch(art);
    case kSourceButton:
        return drawLedButton(art, {"SRC", palette::kSourceTrace}, text);
    case kLimitedButton:
        return drawLedButton(art, {"LMT", palette::kLimitedTrace}, text);
    case kOutputButton:
        return drawLedButton(art, {"OUT", palette::kOutputTrace}, text);
    case kSensButton:
        return drawLedButton(art, {"SENS", palette::kAmber}, text);
    case kViewerKnob:
    case kSmallKnob:
    case kLargeKnob:
        return drawKnobStrip(art, ArcOrigin::Minimum);
    case kBandKnob:
        return drawKnobStrip(art, ArcOrigin::Centre);
    case kBackground:
        return drawBackground(art, text);
    case kInfoButton:
        return drawInfoButton(art, text);
    }
    return Canvas(art.width, art.height);
}

// Two-state buttons (off image above, on image below), the slide switch, and the momentary
// buttons (released image above, pressed image below).
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

#include <string>

struct LedButtonDesign
{
    std::string text;
    Rgb led;
    bool litWhenOn = true; // false: the off state (value 0) is the lit one, as for bypass
};

// A button with a status light and its name; the lit state glows in the light's colour.
Canvas drawLedButton(const Artwork& art, const LedButtonDesign& design, const TextRenderer& text);
// A vertical slide switch: thumb down and dark when off, up and lit when on.
Canvas drawSlideSwitch(const Artwork& art);
// A small round push button.
Canvas drawResetButton(const Artwork& art);
// The pill that opens the manual.
Canvas drawInfoButton(const Artwork& art, const TextRenderer& text);

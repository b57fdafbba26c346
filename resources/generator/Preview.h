// A picture of the whole panel as the editor would show it: the background with every
// control placed at its table position, for looking at the artwork while working on it.
#pragma once

#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

#include <map>

enum class PreviewState
{
    Defaults,  // every control at its default value
    Alternate, // every switch flipped and every knob turned to three quarters
};

// images maps each resource id to its drawn bitmap.
Canvas composePreview(const std::map<int, Canvas>& images, const TextRenderer& text,
                      PreviewState state);

// The panel behind every control: framed sections, wells for the value displays and
// meters, the captions and the product name.
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

Canvas drawBackground(const Artwork& art, const TextRenderer& text);

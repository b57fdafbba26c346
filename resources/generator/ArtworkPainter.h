// Draws one bitmap of the panel by its resource id.
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

// The bitmap at its listed size; black for an id that has no drawing.
Canvas drawArtwork(const Artwork& art, const TextRenderer& text);

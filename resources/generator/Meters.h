// The meters' images: LED bars of one LED per pixel row, and the output meter's film strip.
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

// Level bar, one dB per row from +12 dB at the top to -24 dB at the bottom: red above
// 0 dB, yellow from -6 dB, green below.
Canvas drawLevelLeds(const Artwork& art, bool lit);
// Gain-reduction bar in cyan, hanging from the top.
Canvas drawReductionLeds(const Artwork& art, bool lit);

// Output level in dB that frame of the output meter shows: -24 dB at frame 0, half a dB per
// frame, +12 dB at frame 72.
float outputMeterDecibels(int frame);
// The frame that shows a level, 0 to 72.
int outputMeterFrame(float decibels);
Canvas drawOutputMeterStrip(const Artwork& art, const TextRenderer& text);

// Film strips of the rotary knobs: one frame per step, the pointer turning clockwise over
// 270 degrees from lower left (frame 0, the minimum) to lower right (the last frame).
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"

// Where the lit arc beside the pointer starts.
enum class ArcOrigin
{
    Minimum, // grows from the lower left, for one-sided ranges
    Centre,  // grows from the top to either side, for ranges centred on 0 dB
};

constexpr float kKnobStartAngle = 3.92699082f; // 5 pi / 4: lower left
constexpr float kKnobSweep = 4.71238898f;      // 3 pi / 2, turned clockwise

// The pointer's angle in frame of frames (radians, counter-clockwise, y up).
float knobAngle(int frame, int frames);

Canvas drawKnobStrip(const Artwork& art, ArcOrigin origin);

// The output meter: one frame of a 73-frame film strip from -24 to +12 dB, half a dB per
// frame. It shows the output peak or the overall gain reduction, whichever the effect's
// meter mode selects, through a smoothing of its own.
#pragma once

#include "gui/CMovieBitmap.h"

class PublishedState;

class VUMETER : public CMovieBitmap
{
  public:
    // One frame of the strip at (x, y). Without an effect the meter never moves.
    VUMETER(CBitmap* strip, int x, int y, PublishedState* effect);

    // One tick: reads and resets the value of the current mode, smooths it and sets the
    // position.
    void update();

  private:
    // Peak: rises toward a new peak within a few ticks, then falls by 0.43 dB per tick.
    void followPeak(float peak);
    // Reduction: follows more reduction within a few ticks and relaxes toward none.
    void followReduction(float gain);

    PublishedState* effect_;
    float shown_ = 0.0f;
    float held_ = 0.0f;
};

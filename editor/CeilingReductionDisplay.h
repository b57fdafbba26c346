// The true-peak ceiling's gain reduction as text ("GR -0.8 dB"), read once per tick from the
// stage's published lowest gain. A deeper reduction shows at once; the text then falls back
// toward none as the band reduction meters do.
#pragma once

#include "gui/CParamDisplay.h"

#include <atomic>

// The shown reduction, in dB (0 or below), after one tick that read the stage's lowest gain.
float followCeilingReduction(float shownDb, double lowestGain);

class CeilingReductionDisplay : public CParamDisplay
{
  public:
    // Writes the resting value (gain 1) into the source.
    CeilingReductionDisplay(const CRect& size, std::atomic<double>* source);

    // One tick: reads the source, puts its resting value back and moves the text.
    void update();

  private:
    std::atomic<double>* source_;
};

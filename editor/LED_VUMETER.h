// A band meter of the editor: an LED bar of a band's output level (-24 to +12 dB, lit from
// the bottom) or of its gain reduction (0 to 18 dB, lit from the top), read once per tick
// from one of the effect's meter values.
#pragma once

#include <atomic>

#include "gui/CVuMeter.h"

// The display position of a level on the -24 to +12 dB scale, 0 to 1. Levels at or below
// the smallest normal float (and NaN) count as -379.3 dB and show 0.
float levelMeterPosition(double level);
// The display position of a gain on the 18 dB reduction scale: 1 for no reduction, 0 for
// 18 dB or more.
float reductionMeterPosition(double gain);

// How far a shown gain reduction falls back toward none per tick.
constexpr double kReductionRecoveryDbPerTick = 0.9;

class LED_VUMETER : public CVuMeter
{
  public:
    enum Style
    {
        kLevel = 0,
        kReduction = 1
    };

    // The bar takes the off-bitmap's size at (x, y), one LED per pixel row. Writes the
    // resting value (level 0, gain 1) into the source. Styles other than kReduction are
    // level meters.
    LED_VUMETER(int x, int y, int style, CBitmap* onBitmap, CBitmap* offBitmap,
                std::atomic<double>* source);

    // One tick: reads the source and puts its resting value back, and sets the position as
    // the target; the next draws move the bar toward it. Without a source nothing changes.
    void update();

  private:
    std::atomic<double>* source_;
    int32_t style_;
};

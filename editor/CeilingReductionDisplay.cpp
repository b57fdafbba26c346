#include "editor/CeilingReductionDisplay.h"

#include "editor/LED_VUMETER.h"
#include "engine/MeterValues.h"
#include "engine/Units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
// Deeper than any reduction the stage makes.
constexpr double kDeepestDb = -99.9;

// A reading in dB: a gain of 0 or below as the deepest, one that is not a number as none.
double reductionDb(double gain)
{
    if (std::isnan(gain))
        return 0.0;
    return gain > 0.0 ? std::clamp(decibelsFromGain(gain), kDeepestDb, 0.0) : kDeepestDb;
}

// "GR -0.8 dB", from 10 dB on in whole decibels ("GR -18 dB") to fit the display; a
// reduction that rounds to none reads "GR 0.0 dB".
void formatReduction(float dB, char* text)
{
    const char* format = dB > -9.95f ? "GR %.1f dB" : "GR %.0f dB";
    std::snprintf(text, kParamDisplayTextBytes, format, dB > -0.05f ? 0.0 : double(dB));
}
} // namespace

float followCeilingReduction(float shownDb, double lowestGain)
{
    const double recovered = std::min(0.0, double(shownDb) + kReductionRecoveryDbPerTick);
    return float(std::min(reductionDb(lowestGain), recovered));
}

CeilingReductionDisplay::CeilingReductionDisplay(const CRect& size, std::atomic<double>* source)
    : CParamDisplay(size, nullptr, 0), source_(source)
{
    source_->store(1.0, std::memory_order_relaxed);
    setFormatter(formatReduction);
    setValue(0.0f);
}

void CeilingReductionDisplay::update()
{
    setValue(followCeilingReduction(getValue(), takeMeter(*source_, 1.0)));
}

#include "editor/VUMETER.h"

#include <algorithm>
#include <cmath>

#include "core/PublishedState.h"
#include "editor/LED_VUMETER.h"
#include "engine/MeterValues.h"
#include "gui/CBitmap.h"

namespace
{
constexpr int32_t kFrames = 73;
constexpr float kSmoothing = 0.60653066f; // e^-0.5: the old shown value's share per tick
constexpr float kDecay = 0.95122942f;     // e^-0.05: what a held value keeps per tick
// Readings beyond this (far above the +12 dB top) are cut so the float smoothing stays finite.
constexpr double kLargestReading = 1e30;

int32_t frameHeightOf(const CBitmap* strip)
{
    return strip != nullptr ? strip->getHeight() / kFrames : 0;
}

// A reading as the smoothing takes it; a non-finite one counts as the resting value.
float reading(double value, double resting)
{
    return float(std::isfinite(value) ? std::clamp(value, 0.0, kLargestReading) : resting);
}
} // namespace

VUMETER::VUMETER(CBitmap* strip, int x, int y, PublishedState* effect)
    : CMovieBitmap(rectAt(x, y, strip != nullptr ? strip->getWidth() : 0, frameHeightOf(strip)),
                   nullptr, -1, kFrames, frameHeightOf(strip), strip),
      effect_(effect)
{
}

void VUMETER::update()
{
    if (effect_ == nullptr)
    {
        return;
    }
    MeterValues& meters = effect_->meters();
    if (effect_->meterMode())
    {
        followReduction(reading(takeMeter(meters.minGain, 1.0), 1.0));
    }
    else
    {
        followPeak(reading(takeMeter(meters.outPeak, 0.0), 0.0));
    }
    setValue(levelMeterPosition(shown_));
}

void VUMETER::followPeak(float peak)
{
    held_ = std::max(held_, peak);
    if (shown_ <= held_)
    {
        shown_ = (1.0f - kSmoothing) * held_ + kSmoothing * shown_;
        held_ = kDecay * held_;
    }
    else
    {
        shown_ = kDecay * shown_;
        held_ = kSmoothing * held_;
    }
}

void VUMETER::followReduction(float gain)
{
    held_ = std::min(held_, gain);
    shown_ = (1.0f - kSmoothing) * held_ + kSmoothing * shown_;
    held_ = kDecay * held_ + (1.0f - kDecay);
}

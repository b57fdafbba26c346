#include "editor/LED_VUMETER.h"

#include <algorithm>
#include <cmath>

#include "engine/MeterValues.h"
#include "engine/Units.h"
#include "gui/CBitmap.h"

namespace
{
constexpr double kSmallestNormal = 1.1754944e-38;
constexpr double kSilenceDb = -379.29779; // 20 log10 of the smallest normal float
constexpr double kLevelFloorDb = -24.0;
constexpr double kLevelSpanDb = 36.0;
constexpr double kReductionSpanDb = 18.0;
// Per draw: a level bar falls by 0.72 dB, a reduction bar recovers as a tick's recovery.
constexpr float kLevelFallStep = 0.02f;
constexpr float kReductionRecoveryStep = -float(kReductionRecoveryDbPerTick / kReductionSpanDb);

double decibels(double amplitude)
{
    return amplitude > kSmallestNormal ? decibelsFromGain(amplitude) : kSilenceDb;
}

float unitPosition(double position)
{
    return float(std::clamp(position, 0.0, 1.0));
}

CRect meterRect(int x, int y, const CBitmap* offBitmap)
{
    return offBitmap != nullptr ? rectAt(x, y, offBitmap->getWidth(), offBitmap->getHeight())
                                : rectAt(x, y, 0, 0);
}
} // namespace

float levelMeterPosition(double level)
{
    return unitPosition((decibels(level) - kLevelFloorDb) / kLevelSpanDb);
}

float reductionMeterPosition(double gain)
{
    return unitPosition((decibels(gain) + kReductionSpanDb) / kReductionSpanDb);
}

LED_VUMETER::LED_VUMETER(int x, int y, int style, CBitmap* onBitmap, CBitmap* offBitmap,
                         std::atomic<double>* source)
    : CVuMeter(meterRect(x, y, offBitmap), onBitmap, offBitmap,
               offBitmap != nullptr ? offBitmap->getHeight() : 0),
      source_(source), style_(style == kReduction ? kReduction : kLevel)
{
    const bool reduction = style_ == kReduction;
    setDecreaseStep(reduction ? kReductionRecoveryStep : kLevelFallStep);
    const double resting = reduction ? 1.0 : 0.0;
    if (source_ != nullptr)
    {
        source_->store(resting, std::memory_order_relaxed);
    }
    // Target and drawn position both at rest: a new reduction meter must not start out
    // showing full reduction and crawl back from it.
    setValue(float(resting));
    setDrawnValue(float(resting));
}

void LED_VUMETER::update()
{
    if (source_ == nullptr)
    {
        return;
    }
    if (style_ == kReduction)
    {
        setValue(reductionMeterPosition(takeMeter(*source_, 1.0)));
    }
    else
    {
        setValue(levelMeterPosition(takeMeter(*source_, 0.0)));
    }
}

#include "engine/ControlTable.h"

#include <cmath>

namespace
{
// A film-strip knob with its value display valueDy pixels below its top.
constexpr ControlRow knob(int32_t id, int32_t bitmap, int32_t x, int32_t y, int32_t valueDy)
{
    const ParameterRecord& r = kParameterRecords[id];
    return {
        id, r.name,  kKindAnimKnob, bitmap,         -1,        x,         y,       0,      0, 0, 1,
        0,  valueDy, r.formatter,   r.defaultValue, r.minimum, r.maximum, r.curve, nullptr};
}

// A switch: 0 or 1.
constexpr ControlRow button(int32_t id, int32_t kind, int32_t bitmap, int32_t x, int32_t y)
{
    const ParameterRecord& r = kParameterRecords[id];
    return {id, r.name, kind,    bitmap,         -1, x, y,       0,      0, 0, 0,
            0,  0,      nullptr, r.defaultValue, 0,  1, r.curve, nullptr};
}

// A row that is not a parameter: a viewer or a meter.
constexpr ControlRow view(const char* name, int32_t kind, int32_t bitmap, int32_t secondBitmap,
                          int32_t x, int32_t y)
{
    return {0,       name, kind, bitmap, secondBitmap, x,      y, 0, 0, 0, 0, 0, 0,
            nullptr, 0,    0,    1,      kCurveLinear, nullptr};
}
} // namespace

constinit const ControlRow kControlTable[kControlTableRows] = {
    view("(Dummy)", kKindNone, -1, -1, 0, 0),
    view("FFTGrap", kKindSpectrumGraph, 131, -1, 35, 11),
    view("WaveGrap", kKindWaveGraph, 131, -1, 35, 11),
    view("VuMeter", kKindOutputMeter, 133, -1, 590, 54),
    view("LowRedMeter", kKindReductionMeterLow, 11004, 11003, 100, 195),
    view("MidRedMeter", kKindReductionMeterMid, 11004, 11003, 160, 195),
    view("HiRedMeter", kKindReductionMeterHigh, 11004, 11003, 220, 195),
    view("LowVuMeter", kKindLevelMeterLow, 11001, 11002, 100, 250),
    view("MidVuMeter", kKindLevelMeterMid, 11001, 11002, 160, 250),
    view("HiVuMeter", kKindLevelMeterHigh, 11001, 11002, 220, 250),
    knob(kParamViewerTime, 11024, 494, 102, 49),
    knob(kParamViewerLevel, 11024, 494, 25, 49),
    button(kParamViewerMode, kKindOnOffButton, 11009, 429, 24),
    button(kParamViewerPause, kKindOnOffButton, 11009, 464, 24),
    button(kParamViewerSource, kKindOnOffButton, 11010, 434, 79),
    button(kParamViewerLimited, kKindOnOffButton, 11011, 434, 104),
    button(kParamViewerOutput, kKindOnOffButton, 11012, 434, 129),
    button(kParamMeterMode, kKindOnOffButton, 11009, 624, 174),
    button(kParamReset, kKindKickButton, 11007, 489, 314),
    button(kParamBypass, kKindOnOffButton, 11006, 467, 194),
    knob(kParamThresholdLow, 11028, 64, 196, 34),
    knob(kParamThresholdMid, 11028, 124, 196, 34),
    knob(kParamThresholdHigh, 11028, 184, 196, 34),
    knob(kParamGainLow, 11028, 64, 251, 34),
    knob(kParamGainMid, 11028, 124, 251, 34),
    knob(kParamGainHigh, 11028, 184, 251, 34),
    knob(kParamCrossoverLow, 11026, 94, 301, 34),
    knob(kParamCrossoverHigh, 11026, 159, 301, 34),
    knob(kParamAttack, 11026, 259, 301, 34),
    knob(kParamRelease, 11026, 309, 301, 34),
    knob(kParamLimiterGain, 11027, 258, 189, 82),
    knob(kParamOutputGain, 11027, 353, 189, 82),
    button(kParamSafeClip, kKindOnOffButton, 11005, 357, 299),
    button(kParamSens, kKindOnOffButton, 11013, 36, 318),
    {-1, nullptr, kKindNone, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, kCurveLinear, nullptr},
};

const ControlRow& findControlRow(int id)
{
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.id == id)
            return row;
    }
    return kControlTable[0];
}

namespace
{
// The multiple of 0.5 at or below lin + 0.0001. The tolerance lets every step survive a
// host's round trip through a float or through six significant decimal digits (up to
// 1.8e-5 dB off on a 36 dB range).
double halfDecibelStep(double lin)
{
    const double v = lin - 0.2499;
    const double k = std::trunc(2.0 * std::fabs(v) + 0.5);
    if (k == 0.0)
        return 0.0;
    return (v < 0.0 ? -0.5 : 0.5) * k;
}
} // namespace

double normalizedToReal(double normalized, int id)
{
    const ParameterRecord& row = parameterRecord(id);
    const double lin = row.minimum + normalized * (row.maximum - row.minimum);
    switch (row.curve)
    {
    case kCurveHalfDecibelSteps:
        return halfDecibelStep(lin);
    case kCurveLogarithmic:
        return std::exp(std::log(row.minimum) +
                        normalized * (std::log(row.maximum) - std::log(row.minimum)));
    default:
        return lin;
    }
}

double realToNormalized(double real, int id)
{
    const ParameterRecord& row = parameterRecord(id);
    if (row.curve == kCurveLogarithmic)
        return (std::log(real) - std::log(row.minimum)) /
               (std::log(row.maximum) - std::log(row.minimum));
    return (real - row.minimum) / (row.maximum - row.minimum);
}

#include "engine/ControlTable.h"

#include <cmath>

namespace
{
// A film-strip knob with its value display valueDy pixels below its top.
constexpr ControlRow knob(int32_t id, const char* name, int32_t bitmap, int32_t x, int32_t y,
                          int32_t valueDy, ValueFormatter formatter, double defaultValue,
                          double minimum, double maximum, int32_t curve)
{
    return {id, name, kKindAnimKnob, bitmap,    -1,           x,       y,       0,     0,      0,
            1,  0,    valueDy,       formatter, defaultValue, minimum, maximum, curve, nullptr};
}

// A switch: 0 or 1.
constexpr ControlRow button(int32_t id, const char* name, int32_t kind, int32_t bitmap, int32_t x,
                            int32_t y, double defaultValue)
{
    return {id,      name,         kind, bitmap, -1,           x,      y, 0, 0, 0, 0, 0, 0,
            nullptr, defaultValue, 0,    1,      kCurveLinear, nullptr};
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
    knob(4, "Viewer Time", 11024, 494, 102, 49, formatTime, 4000, 200, 5000, kCurveLogarithmic),
    knob(5, "Viewer Level", 11024, 494, 25, 49, formatLevel, 0.5, 0.125, 1, kCurveLogarithmic),
    button(6, "Viewer ENV/FFT", kKindOnOffButton, 11009, 429, 24, 1),
    button(7, "Viewer ACT/PAUSE", kKindOnOffButton, 11009, 464, 24, 1),
    button(8, "Viewer SRC", kKindOnOffButton, 11010, 434, 79, 1),
    button(9, "Viewer LMT", kKindOnOffButton, 11011, 434, 104, 1),
    button(10, "Viewer OUT", kKindOnOffButton, 11012, 434, 129, 1),
    button(11, "VuMeter Reduc/Peak", kKindOnOffButton, 11009, 624, 174, 1),
    button(12, "Reset", kKindKickButton, 11007, 489, 314, 0),
    button(13, "Bypass (local)", kKindOnOffButton, 11006, 467, 194, 1),
    knob(14, "Threshold Low", 11028, 64, 196, 34, formatDecibels, 0, -18, 18,
         kCurveHalfDecibelSteps),
    knob(15, "Threshold Mid", 11028, 124, 196, 34, formatDecibels, 0, -18, 18,
         kCurveHalfDecibelSteps),
    knob(16, "Threshold Hi", 11028, 184, 196, 34, formatDecibels, 0, -18, 18,
         kCurveHalfDecibelSteps),
    knob(17, "Gain Low", 11028, 64, 251, 34, formatDecibels, 0, -18, 18, kCurveHalfDecibelSteps),
    knob(18, "Gain Mid", 11028, 124, 251, 34, formatDecibels, 0, -18, 18, kCurveHalfDecibelSteps),
    knob(19, "Gain Hi", 11028, 184, 251, 34, formatDecibels, 0, -18, 18, kCurveHalfDecibelSteps),
    knob(20, "CrossOver Low", 11026, 94, 301, 34, formatCrossover, 31, 10, 640, kCurveLogarithmic),
    knob(21, "CrossOver Hi", 11026, 159, 301, 34, formatCrossover, 1235, 640, 20000,
         kCurveLogarithmic),
    knob(22, "Attack Time", 11026, 259, 301, 34, formatTime, 1.71, 0.5, 20, kCurveLogarithmic),
    knob(23, "Release Time", 11026, 309, 301, 34, formatTime, 47.4, 5, 500, kCurveLogarithmic),
    knob(24, "Limiter Gain", 11027, 258, 189, 82, formatDecibels, 3, -6, 18,
         kCurveHalfDecibelSteps),
    knob(25, "Output Gain", 11027, 353, 189, 82, formatDecibels, 2.01, -12, 12,
         kCurveHalfDecibelSteps),
    button(26, "SafeClip on/off", kKindOnOffButton, 11005, 357, 299, 1),
    button(27, "Sens on/off", kKindOnOffButton, 11013, 36, 318, 0),
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
    const ControlRow& row = findControlRow(id);
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
    const ControlRow& row = findControlRow(id);
    if (row.curve == kCurveLogarithmic)
        return (std::log(real) - std::log(row.minimum)) /
               (std::log(row.maximum) - std::log(row.minimum));
    return (real - row.minimum) / (row.maximum - row.minimum);
}

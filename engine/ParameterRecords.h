// Every parameter of the effect, declared once: what it is called, what it holds and who sets
// it. The formats' metadata, the presets, the renderer's names and the panel all read these
// records; the true-peak ceiling, which only our own hosts and the newer formats carry, has a
// record of its own.
#pragma once

#include "engine/TruePeakLimiter.h"
#include "engine/ValueFormatters.h"

#include <cstdint>
#include <string_view>

// The VST 2.4 edition's parameter count, reserved slots included.
constexpr int kNumParameters = 28;

// Parameter indices the code refers to by name. 0, 1 and 3 are reserved slots.
enum ParameterIndex : int
{
    kParamInfoDocument = 2,
    kParamViewerTime = 4,
    kParamViewerLevel = 5,
    kParamViewerMode = 6,
    kParamViewerPause = 7,
    kParamViewerSource = 8,
    kParamViewerLimited = 9,
    kParamViewerOutput = 10,
    kParamMeterMode = 11,
    kParamReset = 12,
    kParamBypass = 13,
    kParamThresholdLow = 14,
    kParamThresholdMid = 15,
    kParamThresholdHigh = 16,
    kParamGainLow = 17,
    kParamGainMid = 18,
    kParamGainHigh = 19,
    kParamCrossoverLow = 20,
    kParamCrossoverHigh = 21,
    kParamAttack = 22,
    kParamRelease = 23,
    kParamLimiterGain = 24,
    kParamOutputGain = 25,
    kParamSafeClip = 26,
    kParamSens = 27,
};

// How a normalised value maps to a real one.
enum ControlCurve : int32_t
{
    kCurveLinear = 0,
    kCurveHalfDecibelSteps = 1,
    kCurveLogarithmic = 3,
};

enum class ParameterRole
{
    kReserved,      // a slot without a parameter
    kEditorSetting, // the editor's own view settings: kept with the effect, not automated
    kAction,        // a button that does something once (Reset, the manual)
    kControl,       // shapes the sound: hosts show, automate and store it
};

enum class ParameterUnit
{
    kNone,     // switches, the viewer's level
    kDecibels, // dB
    kHertz,    // Hz
    kMilliseconds,
};

struct ParameterRecord
{
    const char* symbol; // stable: sessions and presets store it
    const char* name;   // what hosts and the renderer's --set show
    ParameterRole role;
    ParameterUnit unit;
    ValueFormatter formatter; // the text under the control; none for switches and actions
    double defaultValue;      // real units
    double minimum;
    double maximum;
    ControlCurve curve;
};

// The step of the half-decibel curve.
constexpr double kHalfDecibel = 0.5;

namespace parameter_records
{
constexpr ParameterRecord reserved()
{
    return {"", "", ParameterRole::kReserved, ParameterUnit::kNone, nullptr, 0, 0, 1, kCurveLinear};
}

constexpr ParameterRecord toggle(const char* symbol, const char* name, ParameterRole role,
                                 double defaultValue)
{
    return {symbol, name, role, ParameterUnit::kNone, nullptr, defaultValue, 0, 1, kCurveLinear};
}

constexpr ParameterRecord decibels(const char* symbol, const char* name, double defaultValue,
                                   double minimum, double maximum)
{
    return {symbol,
            name,
            ParameterRole::kControl,
            ParameterUnit::kDecibels,
            formatDecibels,
            defaultValue,
            minimum,
            maximum,
            kCurveHalfDecibelSteps};
}

constexpr ParameterRecord logarithmic(const char* symbol, const char* name, ParameterRole role,
                                      ParameterUnit unit, ValueFormatter formatter,
                                      double defaultValue, double minimum, double maximum)
{
    return {symbol, name, role, unit, formatter, defaultValue, minimum, maximum, kCurveLogarithmic};
}
} // namespace parameter_records

// Indexed by parameter index.
inline constexpr ParameterRecord kParameterRecords[kNumParameters] = {
    parameter_records::reserved(),
    parameter_records::reserved(),
    parameter_records::toggle("manual", "Manual", ParameterRole::kAction, 0),
    parameter_records::reserved(),
    parameter_records::logarithmic("viewer_time", "Viewer Time", ParameterRole::kEditorSetting,
                                   ParameterUnit::kMilliseconds, formatTime, 4000, 200, 5000),
    parameter_records::logarithmic("viewer_level", "Viewer Level", ParameterRole::kEditorSetting,
                                   ParameterUnit::kNone, formatLevel, 0.5, 0.125, 1),
    parameter_records::toggle("viewer_mode", "Viewer ENV/FFT", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("viewer_pause", "Viewer ACT/PAUSE", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("viewer_source", "Viewer SRC", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("viewer_limited", "Viewer LMT", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("viewer_output", "Viewer OUT", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("meter_mode", "VuMeter Reduc/Peak", ParameterRole::kEditorSetting, 1),
    parameter_records::toggle("reset", "Reset", ParameterRole::kAction, 0),
    parameter_records::toggle("bypass", "Bypass (local)", ParameterRole::kControl, 1),
    parameter_records::decibels("threshold_low", "Threshold Low", 0, -18, 18),
    parameter_records::decibels("threshold_mid", "Threshold Mid", 0, -18, 18),
    parameter_records::decibels("threshold_hi", "Threshold Hi", 0, -18, 18),
    parameter_records::decibels("gain_low", "Gain Low", 0, -18, 18),
    parameter_records::decibels("gain_mid", "Gain Mid", 0, -18, 18),
    parameter_records::decibels("gain_hi", "Gain Hi", 0, -18, 18),
    parameter_records::logarithmic("crossover_low", "CrossOver Low", ParameterRole::kControl,
                                   ParameterUnit::kHertz, formatCrossover, 31, 10, 640),
    parameter_records::logarithmic("crossover_hi", "CrossOver Hi", ParameterRole::kControl,
                                   ParameterUnit::kHertz, formatCrossover, 1235, 640, 20000),
    parameter_records::logarithmic("attack_time", "Attack Time", ParameterRole::kControl,
                                   ParameterUnit::kMilliseconds, formatTime, 1.71, 0.5, 20),
    parameter_records::logarithmic("release_time", "Release Time", ParameterRole::kControl,
                                   ParameterUnit::kMilliseconds, formatTime, 47.4, 5, 500),
    parameter_records::decibels("limiter_gain", "Limiter Gain", 3, -6, 18),
    parameter_records::decibels("output_gain", "Output Gain", 2.01, -12, 12),
    parameter_records::toggle("safeclip", "SafeClip on/off", ParameterRole::kControl, 1),
    parameter_records::toggle("sens", "Sens on/off", ParameterRole::kControl, 0),
};

constexpr bool isParameterIndex(int index)
{
    return index >= 0 && index < kNumParameters;
}

// The record of an index; the reserved record for one outside the parameters.
constexpr const ParameterRecord& parameterRecord(int index)
{
    return kParameterRecords[isParameterIndex(index) ? index : 0];
}

constexpr bool isHostControl(int index)
{
    return parameterRecord(index).role == ParameterRole::kControl;
}

// The host-facing controls are the last parameters, one run up to the end: the formats that
// number their own parameters count from this one.
constexpr int kFirstHostControl = []
{
    int first = kNumParameters;
    while (first > 0 && isHostControl(first - 1))
        --first;
    return first;
}();
constexpr int kHostControlCount = kNumParameters - kFirstHostControl;

// The index of the parameter with this symbol; in a constant expression an unknown symbol
// does not compile.
constexpr int parameterIndexOf(std::string_view symbol)
{
    for (int index = 0; index < kNumParameters; ++index)
        if (kParameterRecords[index].role != ParameterRole::kReserved &&
            symbol == kParameterRecords[index].symbol)
            return index;
    throw "no parameter has this symbol";
}

// The true-peak ceiling: off at its bottom value, else a ceiling in dBTP held in steps of
// kStepDb. The stage's own range is the one it can hold.
struct CeilingRecord
{
    const char* symbol;
    const char* name;
    double offDb; // the value that switches the stage off; also the default
    double minimumDb;
    double maximumDb;
    double stepDb;

    constexpr bool isOn(double dB) const { return dB >= minimumDb; }

    // The formats that number steps (CLAP, VST3, the panel's knob) count "off" as step 0 and
    // the ceilings from minimumDb up as steps 1 to stepCount().
    constexpr int stepCount() const { return int((maximumDb - minimumDb) / stepDb + 0.5) + 1; }
    constexpr int stepOf(double dB) const
    {
        if (!(dB >= minimumDb))
            return 0;
        return dB >= maximumDb ? stepCount() : 1 + int((dB - minimumDb) / stepDb + 0.5);
    }
    constexpr double decibelsOfStep(int step) const
    {
        if (step <= 0)
            return offDb;
        return step >= stepCount() ? maximumDb : minimumDb + (step - 1) * stepDb;
    }
    constexpr double normalizedOf(double dB) const { return double(stepOf(dB)) / stepCount(); }
    constexpr double decibelsOfNormalized(double normalized) const
    {
        if (!(normalized > 0.0))
            return offDb;
        return normalized >= 1.0 ? maximumDb : decibelsOfStep(int(normalized * stepCount() + 0.5));
    }
};

// The ceiling's number where the editor and the newer formats number it beside the VST 2.4
// parameters: one past them.
constexpr int kParamCeiling = kNumParameters;

inline constexpr CeilingRecord kCeilingRecord = {
    "true_peak_ceiling",
    "True Peak Ceiling",
    -6.5,
    CTruePeakLimiter::kMinCeilingDb,
    CTruePeakLimiter::kMaxCeilingDb,
    0.1,
};

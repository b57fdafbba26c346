// The control table: every parameter of the plug-in and every element of its panel.
// The effect reads it for its parameter operations, the editor builds its views from it.
#pragma once

#include "engine/ValueFormatters.h"

#include <cstdint>

constexpr int kNumParameters = 28;

// Parameter indices the code refers to by name.
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

// What the editor builds for a row.
enum ControlKind : int32_t
{
    kKindNone = 0,
    kKindKnob = 1,
    kKindAnimKnob = 2,
    kKindVerticalSlider = 3,
    kKindOnOffButton = 4,
    kKindKickButton = 5,
    kKindOptionMenu = 6,
    kKindSpectrumGraph = 7,
    kKindWaveGraph = 8,
    kKindOutputMeter = 9,
    kKindLevelMeterLow = 10,
    kKindLevelMeterMid = 11,
    kKindLevelMeterHigh = 12,
    kKindReductionMeterLow = 13,
    kKindReductionMeterMid = 14,
    kKindReductionMeterHigh = 15,
};

// How a normalised value maps to a real one.
enum ControlCurve : int32_t
{
    kCurveLinear = 0,
    kCurveHalfDecibelSteps = 1,
    kCurveLogarithmic = 3,
};

struct ControlRow
{
    int32_t id;
    const char* name;
    int32_t kind;
    int32_t bitmap;
    int32_t secondBitmap;
    int32_t x;
    int32_t y;
    uint8_t showName;
    int32_t nameDx;
    int32_t nameDy;
    uint8_t showValue;
    int32_t valueDx;
    int32_t valueDy;
    ValueFormatter formatter;
    double defaultValue;
    double minimum;
    double maximum;
    int32_t curve;
    const char* menuItems;
};

constexpr int kControlTableRows = 35;
extern const ControlRow kControlTable[kControlTableRows];

// The first row with this id, or the placeholder row 0 when none has it.
const ControlRow& findControlRow(int id);

double normalizedToReal(double normalized, int id);
double realToNormalized(double real, int id);

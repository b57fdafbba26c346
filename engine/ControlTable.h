// The control table: every element of the panel, where it sits and what it looks like. A
// parameter's row joins its panel place to its record, so that the editor and the bitmap
// generator find both in one row.
#pragma once

#include "engine/ParameterRecords.h"

#include <cstdint>

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

// A rectangle of the panel; right and bottom are exclusive.
struct PanelRect
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The true-peak ceiling's place in the editions that carry it: the empty area between PLUG-IN
// BYPASS and the groove above RESET ALL. A small knob, and beside it its caption, its value and
// the stage's gain reduction. The background draws nothing there, so that the VST 2.4 panel
// keeps its pixels; the editor draws the caption and the displays' frames itself.
struct CeilingPlace
{
    int32_t knobBitmap;
    int32_t knobX;
    int32_t knobY;
    PanelRect caption;
    PanelRect value;
    PanelRect reduction;
};

inline constexpr CeilingPlace kCeilingPlace = {
    11026, 456, 236, {492, 233, 549, 243}, {494, 245, 548, 257}, {494, 259, 548, 271},
};

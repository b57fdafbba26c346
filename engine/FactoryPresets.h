// The five factory programs: a name and the real values they load.
#pragma once

#include <cstdint>

constexpr int kNumPrograms = 5;
constexpr int kProgramNameSize = 24; // 23 characters and the terminator

struct PresetEntry
{
    int16_t index; // -1 ends a preset
    double value;  // in the parameter's real units
};

struct FactoryPreset
{
    char name[kProgramNameSize];
    PresetEntry entries[29];
};

extern const FactoryPreset kFactoryPresets[kNumPrograms];

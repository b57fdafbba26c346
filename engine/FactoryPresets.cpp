#include "engine/FactoryPresets.h"

#include "engine/ParameterRecords.h"

#include <string_view>

namespace
{
constexpr PresetEntry set(std::string_view symbol, double value)
{
    return {int16_t(parameterIndexOf(symbol)), value};
}

// Every setting and control at its default, in index order.
constexpr FactoryPreset resetPreset()
{
    FactoryPreset preset{"Reset", {}};
    int entry = 0;
    for (int index = 0; index < kNumParameters; ++index)
    {
        const ParameterRole role = kParameterRecords[index].role;
        if (role == ParameterRole::kEditorSetting || role == ParameterRole::kControl)
            preset.entries[entry++] = {int16_t(index), kParameterRecords[index].defaultValue};
    }
    preset.entries[entry] = {-1, 0};
    return preset;
}
} // namespace

constinit const FactoryPreset kFactoryPresets[kNumPrograms] = {
    resetPreset(),
    {"Recommended",
     {set("bypass", 1),
      set("threshold_low", -9),
      set("threshold_mid", 0),
      set("threshold_hi", 2),
      set("gain_low", 0),
      set("gain_mid", 0),
      set("gain_hi", 0),
      set("crossover_low", 80),
      set("crossover_hi", 1235),
      set("attack_time", 1.71),
      set("release_time", 47.4),
      set("limiter_gain", 6),
      set("output_gain", 3),
      set("safeclip", 1),
      set("sens", 0),
      {-1, 0}}},
    {"KickPunch",
     {set("bypass", 1),
      set("threshold_low", -9),
      set("threshold_mid", 0),
      set("threshold_hi", 3),
      set("gain_low", 3),
      set("gain_mid", 0),
      set("gain_hi", 0),
      set("crossover_low", 31),
      set("crossover_hi", 1235),
      set("attack_time", 0.5),
      set("release_time", 20),
      set("limiter_gain", 9),
      set("output_gain", 2.01),
      set("safeclip", 1),
      set("sens", 1),
      {-1, 0}}},
    {"SingleBand",
     {set("bypass", 1),
      set("threshold_low", 0),
      set("threshold_mid", 0),
      set("threshold_hi", 0),
      set("gain_low", 0),
      set("gain_mid", 0),
      set("gain_hi", 0),
      set("crossover_low", 10),
      set("crossover_hi", 20000),
      set("attack_time", 1.71),
      set("release_time", 20),
      set("limiter_gain", 9),
      set("output_gain", 2.01),
      set("safeclip", 1),
      set("sens", 0),
      {-1, 0}}},
    {"SimpleMaximize",
     {set("bypass", 1),
      set("threshold_low", 18),
      set("threshold_mid", 18),
      set("threshold_hi", 18),
      set("gain_low", 0),
      set("gain_mid", 0),
      set("gain_hi", 0),
      set("crossover_low", 80),
      set("crossover_hi", 1235),
      set("attack_time", 1.71),
      set("release_time", 47.4),
      set("limiter_gain", 0),
      set("output_gain", 6),
      set("safeclip", 1),
      set("sens", 0),
      {-1, 0}}},
};

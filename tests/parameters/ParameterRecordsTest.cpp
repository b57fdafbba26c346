#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "plugin/lv2/Lv2Uris.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace
{
struct ReadBack
{
    double value; // in the record's unit
    ParameterUnit unit;
    double tolerance; // half a unit of the last digit written
};

// Reads a control's text as a user would: the number, scaled by the unit written after it.
ReadBack readBack(const char* text)
{
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    const char* point = std::strchr(text, '.');
    const double digits = point ? double(end - point - 1) : 0.0;
    const double halfDigit = 0.5 * std::pow(10.0, -digits);
    const std::string unit = end;
    struct Scale
    {
        const char* text;
        ParameterUnit unit;
        double factor;
    };
    for (const Scale& s :
         {Scale{"dB", ParameterUnit::kDecibels, 1.0}, Scale{"Hz", ParameterUnit::kHertz, 1.0},
          Scale{"kHz", ParameterUnit::kHertz, 1000.0},
          Scale{"us", ParameterUnit::kMilliseconds, 0.001},
          Scale{"ms", ParameterUnit::kMilliseconds, 1.0},
          Scale{"s", ParameterUnit::kMilliseconds, 1000.0}, Scale{"", ParameterUnit::kNone, 1.0}})
        if (unit == s.text)
            return {number * s.factor, s.unit, halfDigit * s.factor};
    ADD_FAILURE() << "no unit reads \"" << unit << "\"";
    return {};
}
} // namespace

// The text under a control is the record's value in the record's unit: a record whose unit
// or range disagrees with its formatter fails here.
TEST(ParameterRecords, EveryValueTextReadsBackAsTheValueInTheRecordsUnit)
{
    for (int index = 0; index < kNumParameters; ++index)
    {
        const ParameterRecord& record = kParameterRecords[index];
        if (!record.formatter)
            continue;
        for (int step = 0; step <= 200; ++step)
        {
            const float real = float(normalizedToReal(step / 200.0, index));
            char text[kValueTextSize];
            record.formatter(real, text);
            if (std::strcmp(text, "(off)") == 0) // a crossover at the end of its range
            {
                EXPECT_TRUE(real <= record.minimum * 1.01 || real >= record.maximum * 0.99);
                continue;
            }
            const ReadBack read = readBack(text);
            EXPECT_EQ(read.unit, record.unit) << record.name << " " << text;
            EXPECT_NEAR(read.value, real, read.tolerance * 1.0001) << record.name << " " << text;
        }
    }
}

TEST(ParameterRecords, GiveEveryParameterAStableSymbolOfItsOwnAndTheHostsTheLastFifteen)
{
    std::set<std::string> symbols{kCeilingRecord.symbol};
    for (const ParameterRecord& record : kParameterRecords)
    {
        const bool named = record.role != ParameterRole::kReserved;
        EXPECT_TRUE(!named || symbols.insert(record.symbol).second) << record.symbol;
    }
    EXPECT_EQ(symbols.size(), 26u);
    // The LV2 edition keeps each editor setting under its symbol.
    int settings = 0;
    for (const lv2::SettingKey& key : lv2::kSettingKeys)
    {
        EXPECT_EQ(parameterRecord(key.index).role, ParameterRole::kEditorSetting) << key.uri;
        EXPECT_EQ(key.uri, std::string(lv2::kPluginUri) + "#" + parameterRecord(key.index).symbol);
        ++settings;
    }
    for (const ParameterRecord& record : kParameterRecords)
        settings -= record.role == ParameterRole::kEditorSetting;
    EXPECT_EQ(settings, 0);
    // The VST 2.4 edition's host-facing indices: hosts store them in sessions.
    EXPECT_EQ(kFirstHostControl, 13);
    EXPECT_EQ(kHostControlCount, 15);
}

TEST(FactoryPresets, SetOnlySettingsAndControlsWithinTheirRangesEachOnce)
{
    for (const FactoryPreset& preset : kFactoryPresets)
    {
        std::set<int> set;
        for (const PresetEntry& entry : preset.entries)
        {
            if (entry.index < 0)
                break;
            const ParameterRecord& record = parameterRecord(entry.index);
            EXPECT_TRUE(record.role == ParameterRole::kControl ||
                        record.role == ParameterRole::kEditorSetting)
                << preset.name << " " << entry.index;
            EXPECT_GE(entry.value, record.minimum) << preset.name << " " << record.name;
            EXPECT_LE(entry.value, record.maximum) << preset.name << " " << record.name;
            EXPECT_TRUE(set.insert(entry.index).second) << preset.name << " " << record.name;
        }
        // Every program sets every control; Reset also every editor setting.
        EXPECT_EQ(set.size(), std::string(preset.name) == "Reset" ? 23u : 15u) << preset.name;
    }
}

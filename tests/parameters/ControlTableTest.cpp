#include "engine/ControlTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

TEST(ControlTable, HoldsEachParameterRowExactlyOnceBetweenPlaceholderAndTerminator)
{
    EXPECT_STREQ(kControlTable[0].name, "(Dummy)");
    EXPECT_EQ(kControlTable[kControlTableRows - 1].id, -1);
    EXPECT_EQ(kControlTable[kControlTableRows - 1].name, nullptr);
    std::multiset<int> ids;
    for (const ControlRow& row : kControlTable)
        if (row.id >= 4)
            ids.insert(row.id);
    for (int id = 4; id < kNumParameters; ++id)
        EXPECT_EQ(ids.count(id), 1u) << id;
    EXPECT_EQ(ids.size(), 24u);
}

TEST(ControlTable, GivesThePlaceholderForIdsThatAreNoParameterRow)
{
    for (int id : {0, 1, 2, 3, -1, -7, 28, 1000})
        EXPECT_EQ(&findControlRow(id), &kControlTable[0]) << id;
    EXPECT_STREQ(findControlRow(21).name, "CrossOver Hi");
    EXPECT_EQ(findControlRow(21).x, 159);
    EXPECT_EQ(findControlRow(21).valueDy, 34);
}

TEST(ControlTable, ShowsAValueUnderEveryKnobAndUnderNothingElse)
{
    for (const ControlRow& row : kControlTable)
    {
        if (!row.name)
            break;
        const bool knob = row.kind == kKindAnimKnob;
        EXPECT_EQ(row.showValue != 0, knob) << row.name;
        EXPECT_EQ(row.formatter != nullptr, knob) << row.name;
        EXPECT_EQ(row.showName, 0) << row.name;
    }
}

TEST(Curves, MapTheLogarithmicCrossoverRange)
{
    EXPECT_DOUBLE_EQ(normalizedToReal(0.0, 20), 10.0);
    EXPECT_NEAR(normalizedToReal(1.0, 20), 640.0, 1e-9);
    EXPECT_NEAR(normalizedToReal(0.5, 20), 80.0, 1e-9);
    EXPECT_NEAR(realToNormalized(80.0, 20), 0.5, 1e-12);
}

TEST(Curves, StepDecibelsInHalvesAtOrBelowTheLinearValue)
{
    // lin = -18 + 36 n for the thresholds.
    auto lin = [](double value) { return (value + 18.0) / 36.0; };
    EXPECT_EQ(normalizedToReal(0.5, 14), 0.0);
    EXPECT_EQ(normalizedToReal(lin(0.4998), 14), 0.0);
    EXPECT_EQ(normalizedToReal(lin(0.49995), 14), 0.5) << "within the round-trip tolerance";
    EXPECT_EQ(normalizedToReal(lin(0.5), 14), 0.5);
    EXPECT_EQ(normalizedToReal(lin(-0.1), 14), -0.5);
    EXPECT_EQ(normalizedToReal(lin(-9.0), 14), -9.0);
    EXPECT_EQ(normalizedToReal(realToNormalized(2.01, 25), 25), 2.0);
    EXPECT_EQ(normalizedToReal(float(realToNormalized(2.01, 25)), 25), 2.0);
}

TEST(Curves, ExtrapolateOutsideTheNormalisedRange)
{
    EXPECT_DOUBLE_EQ(normalizedToReal(2.0, 0), 2.0);
    EXPECT_EQ(normalizedToReal(100.0, 24), 2394.0);
    EXPECT_NEAR(normalizedToReal(-1.0, 20), 10.0 / 64.0, 1e-12);
}

TEST(Curves, RoundTripEveryDefault)
{
    for (int id = 4; id < kNumParameters; ++id)
    {
        const ControlRow& row = findControlRow(id);
        const double normalized = realToNormalized(row.defaultValue, id);
        EXPECT_GE(normalized, 0.0) << row.name;
        EXPECT_LE(normalized, 1.0) << row.name;
        if (row.curve != kCurveHalfDecibelSteps)
        {
            EXPECT_NEAR(normalizedToReal(normalized, id), row.defaultValue,
                        1e-12 * row.defaultValue + 1e-12)
                << row.name;
        }
    }
}

// Hosts store a parameter as a float, and some as decimal text of six significant digits
// (LMMS: "%.6g"); every half-decibel step must come back as itself both ways, while a value
// clearly below a step still belongs to the step below.
TEST(Curves, EveryHalfDecibelStepSurvivesFloatAndDecimalTextRoundTrips)
{
    int rows = 0;
    for (int id = 4; id < kNumParameters; ++id)
    {
        const ControlRow& row = findControlRow(id);
        if (row.curve != kCurveHalfDecibelSteps)
            continue;
        ++rows;
        for (double step = row.minimum; step <= row.maximum; step += 0.5)
        {
            const float stored = float(realToNormalized(step, id));
            EXPECT_EQ(normalizedToReal(stored, id), step) << row.name << " float " << step;

            char text[32];
            std::snprintf(text, sizeof text, "%.6g", double(stored));
            EXPECT_EQ(normalizedToReal(std::strtod(text, nullptr), id), step)
                << row.name << " text " << text;

            const double clearlyBelow = realToNormalized(step - 1.01e-4, id);
            EXPECT_EQ(normalizedToReal(clearlyBelow, id), step - 0.5) << row.name << " " << step;
            const double justAbove = realToNormalized(step + 0.499, id);
            EXPECT_EQ(normalizedToReal(justAbove, id), step) << row.name << " " << step;
        }
    }
    EXPECT_GT(rows, 0);
}

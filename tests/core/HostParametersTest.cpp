#include "core/HostParameters.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace host_parameters;

namespace
{
// Every step of a stepped parameter; 201 points across a continuous one.
std::vector<double> valuesAcross(int id)
{
    const int steps = stepCount(id) > 0 ? stepCount(id) : 200;
    std::vector<double> values;
    for (int step = 0; step <= steps; ++step)
        values.push_back(double(step) / steps);
    return values;
}
} // namespace

// Every text a host shows reads back as a value that shows the same text, for every parameter
// in the hosts' list.
TEST(HostParameters, EveryTextReadsBackAsItsValue)
{
    for (int position = 0; position < kCount; ++position)
    {
        const int id = idAt(position);
        ASSERT_TRUE(isHostParameter(id)) << position;
        for (const double value : valuesAcross(id))
        {
            const std::string text = textOf(id, value);
            ASSERT_FALSE(text.empty()) << id;
            const auto readBack = normalizedOfText(id, text);
            ASSERT_TRUE(readBack) << id << " '" << text << "'";
            EXPECT_EQ(textOf(id, *readBack), text) << id;
            if (stepCount(id) > 0)
            {
                EXPECT_EQ(*readBack, value) << id << " '" << text << "'";
            }
        }
    }
}

TEST(HostParameters, TypedTextsInOtherUnitsAndNonsense)
{
    const auto crossover = normalizedOfText(kParamCrossoverHigh, "0.85 kHz");
    ASSERT_TRUE(crossover);
    EXPECT_EQ(*crossover, *normalizedOfText(kParamCrossoverHigh, "850 Hz"));
    EXPECT_EQ(*normalizedOfText(kParamThresholdLow, " -3.5 "),
              *normalizedOfText(kParamThresholdLow, "-3.5 dB"));
    EXPECT_EQ(*normalizedOfText(kParamCeiling, "-1"), kCeilingRecord.normalizedOf(-1.0));
    EXPECT_EQ(*normalizedOfText(kParamCeiling, "OFF"), 0.0);
    EXPECT_EQ(*normalizedOfText(kParamProgram, "4"), 1.0);
    EXPECT_EQ(*normalizedOfText(kParamSafeClip, "1"), 1.0);
    for (const char* nonsense : {"", "abc", "nan", "inf", "1e999", "3 Hz", "12 dBTPx"})
        EXPECT_FALSE(normalizedOfText(kParamThresholdLow, nonsense)) << nonsense;
    EXPECT_FALSE(normalizedOfText(kParamSafeClip, "2"));
    EXPECT_FALSE(normalizedOfText(kParamReset, "1"));
    EXPECT_TRUE(textOf(kParamReset, 1.0).empty());
    EXPECT_TRUE(textOf(kParamLimiterGain, std::numeric_limits<double>::quiet_NaN()).empty());
    EXPECT_EQ(idAt(-1), -1);
    EXPECT_EQ(idAt(kCount), -1);
}

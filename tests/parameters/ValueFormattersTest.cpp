#include "engine/ValueFormatters.h"
#include "engine/ControlTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
std::string text(ValueFormatter formatter, float value)
{
    char buffer[kValueTextSize];
    formatter(value, buffer);
    return buffer;
}
} // namespace

TEST(DecibelFormatter, PrintsOneDecimalAndInfinityBeyond160)
{
    EXPECT_EQ(text(formatDecibels, -18), "-18.0dB");
    EXPECT_EQ(text(formatDecibels, 3), "3.0dB");
    EXPECT_EQ(text(formatDecibels, 2.01f), "2.0dB");
    EXPECT_EQ(text(formatDecibels, -160), "-160.0dB");
    EXPECT_EQ(text(formatDecibels, -160.5f), "-oo dB");
    EXPECT_EQ(text(formatDecibels, 161), "oo dB");
}

TEST(CrossoverFormatter, PrintsHertzAndKilohertzAndOffAtTheEnds)
{
    EXPECT_EQ(text(formatCrossover, 31), "31.0Hz");
    EXPECT_EQ(text(formatCrossover, 99.96f), "100.0Hz");
    EXPECT_EQ(text(formatCrossover, 640), "640Hz");
    EXPECT_EQ(text(formatCrossover, 1235), "1.24kHz");
    EXPECT_EQ(text(formatCrossover, 12000), "12.0kHz");
    EXPECT_EQ(text(formatCrossover, 10), "(off)");
    EXPECT_EQ(text(formatCrossover, 20000), "(off)");
    EXPECT_EQ(text(formatCrossover, 19999), "(off)");
}

// The float 10.1 lies above the double limit 10.1, and 19999 through a normalised value
// arrives as 19998.998: both still show a frequency.
TEST(CrossoverFormatter, ComparesTheFloatValueWithItsLimits)
{
    EXPECT_EQ(text(formatCrossover, 10.1f), "10.1Hz");
    const float high = float(normalizedToReal(float(realToNormalized(19999, 21)), 21));
    EXPECT_LT(high, 19999.0f);
    EXPECT_EQ(text(formatCrossover, high), "20.0kHz");
}

TEST(LevelFormatter, UsesFewerDecimalsForLargerLevels)
{
    EXPECT_EQ(text(formatLevel, 0), "0.00");
    EXPECT_EQ(text(formatLevel, -0.0f), "0.00");
    EXPECT_EQ(text(formatLevel, 0.05f), "0.0500");
    EXPECT_EQ(text(formatLevel, 0.125f), "0.125");
    EXPECT_EQ(text(formatLevel, 0.5f), "0.500");
    EXPECT_EQ(text(formatLevel, 1), "1.00");
    EXPECT_EQ(text(formatLevel, 12.5f), "12.5");
    EXPECT_EQ(text(formatLevel, 250), "250");
}

TEST(TimeFormatter, MovesBetweenMicroMilliAndSeconds)
{
    EXPECT_EQ(text(formatTime, 0.5f), "500us");
    EXPECT_EQ(text(formatTime, 0.05f), "50.0us");
    EXPECT_EQ(text(formatTime, 0.005f), "5.00us");
    EXPECT_EQ(text(formatTime, 1.71f), "1.71ms");
    EXPECT_EQ(text(formatTime, 47.4f), "47.4ms");
    EXPECT_EQ(text(formatTime, 200), "200ms");
    EXPECT_EQ(text(formatTime, 500), "500ms");
    EXPECT_EQ(text(formatTime, 4000), "4.00s");
    EXPECT_EQ(text(formatTime, 5000), "5.00s");
    EXPECT_EQ(text(formatTime, 25000), "25.0s");
    EXPECT_EQ(text(formatTime, 250000), "250s");
}

TEST(Formatters, StayWithinEightCharactersOverTheTableRanges)
{
    for (const ControlRow& row : kControlTable)
    {
        if (!row.name || !row.formatter)
            continue;
        for (int step = 0; step <= 1000; ++step)
        {
            const float value = float(normalizedToReal(step / 1000.0, row.id));
            EXPECT_LE(text(row.formatter, value).size(), 8u) << row.name << " at " << value;
        }
    }
}

TEST(Formatters, WriteBoundedTextForAbsurdValues)
{
    for (ValueFormatter formatter : {formatDecibels, formatCrossover, formatLevel, formatTime})
        for (float value : {3.4e38f, -3.4e38f, 1e-30f})
            EXPECT_LT(text(formatter, value).size(), size_t(kValueTextSize));
}

#include "core/ParameterValues.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

namespace
{
// Every setting set to a random value of its range, the ceiling to a random step.
void randomize(CParameterValues& values, std::mt19937& random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int index = 0; index < CParameterValues::kCount; ++index)
        values.storeNormalized(index, unit(random));
}

void expectSameValues(const CParameterValues& a, const CParameterValues& b)
{
    for (int index = 0; index < CParameterValues::kCount; ++index)
        EXPECT_EQ(a.real(index), b.real(index)) << index;
}
} // namespace

TEST(ParameterValues, SessionTextRestoresEveryValueExactly)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round)
    {
        CParameterValues saved;
        randomize(saved, random);
        CParameterValues restored;
        ASSERT_TRUE(restored.restoreText(saved.saveText()));
        expectSameValues(saved, restored);
    }
}

// Text cut anywhere, or with a byte changed anywhere: refused, and nothing changed.
TEST(ParameterValues, DamagedOrForeignTextChangesNothing)
{
    std::mt19937 random(11);
    CParameterValues source;
    randomize(source, random);
    const std::string text = source.saveText();
    const auto refusedUnchanged = [&text](const std::string& damaged)
    {
        CParameterValues values;
        CParameterValues untouched;
        if (values.restoreText(damaged))
            return damaged == text;
        for (int index = 0; index < CParameterValues::kCount; ++index)
            if (values.real(index) != untouched.real(index))
                return false;
        return true;
    };
    for (size_t length = 0; length < text.size(); ++length)
        EXPECT_TRUE(refusedUnchanged(text.substr(0, length))) << length;
    for (size_t at = 0; at < text.size(); ++at)
        for (char byte : {'\0', 'x', ' ', '\n', '9', '-'})
        {
            std::string damaged = text;
            damaged[at] = byte;
            EXPECT_TRUE(refusedUnchanged(damaged)) << at;
        }
    EXPECT_TRUE(refusedUnchanged(text + "\n"));
    EXPECT_TRUE(refusedUnchanged(""));
}

TEST(ParameterValues, HoldsValuesToTheirRangesAndRefusesWhatIsNoSetting)
{
    CParameterValues values;
    const CParameterValues defaults;
    EXPECT_FALSE(values.storeNormalized(kParamReset, 1.0));
    EXPECT_FALSE(values.storeNormalized(-1, 0.5));
    EXPECT_FALSE(values.storeNormalized(CParameterValues::kCount, 0.5));
    EXPECT_FALSE(values.storeReal(kParamLimiterGain, std::numeric_limits<double>::quiet_NaN()));
    expectSameValues(values, defaults);

    EXPECT_TRUE(values.storeReal(kParamLimiterGain, 1e9));
    EXPECT_EQ(values.real(kParamLimiterGain), parameterRecord(kParamLimiterGain).maximum);
    EXPECT_TRUE(values.storeNormalized(kParamLimiterGain, -3.0));
    EXPECT_EQ(values.real(kParamLimiterGain), parameterRecord(kParamLimiterGain).minimum);
    EXPECT_EQ(values.real(kParamCeiling), kCeilingRecord.offDb);
}

// Every step of the ceiling survives the normalised scale both ways, and "off" is its bottom.
TEST(ParameterValues, CeilingStepsRoundTripThroughTheNormalisedScale)
{
    CParameterValues values;
    for (int step = 0; step <= kCeilingRecord.stepCount(); ++step)
    {
        const double dB = kCeilingRecord.decibelsOfStep(step);
        ASSERT_TRUE(values.storeReal(kParamCeiling, dB));
        const double normalized = values.normalized(kParamCeiling);
        ASSERT_TRUE(values.storeNormalized(kParamCeiling, normalized));
        EXPECT_EQ(values.real(kParamCeiling), dB) << step;
        EXPECT_EQ(kCeilingRecord.isOn(dB), step > 0) << step;
    }
    EXPECT_EQ(kCeilingRecord.decibelsOfStep(kCeilingRecord.stepCount()), kCeilingRecord.maximumDb);
    EXPECT_DOUBLE_EQ(kCeilingRecord.decibelsOfStep(1), kCeilingRecord.minimumDb);
}

#include "analysis/WaveformCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{

constexpr int kColumns = 338;

// A capture over the view's columns, as the waveform view configures it.
struct Configured : CWaveformCapture
{
    Configured(int sampleRate, float timeMs) : CWaveformCapture(sampleRate)
    {
        reset(kColumns);
        setTime(timeMs);
    }
};

void offerAll(CWaveformCapture& capture, float value)
{
    for (Trace t : {Trace::source, Trace::limited, Trace::output})
        capture.offer(t, value);
}

// Advances until the current column changes; returns the samples taken.
int untilNextColumn(CWaveformCapture& capture)
{
    const int column = capture.currentColumn();
    int samples = 0;
    while (capture.currentColumn() == column)
    {
        capture.advance();
        ++samples;
    }
    return samples;
}

TEST(WaveformCapture, KeepsTheLargestValueOfferedInEachColumn)
{
    Configured capture(44100, 200.0f);
    untilNextColumn(capture);
    for (float v : {0.2f, 0.7f, 0.4f})
    {
        capture.advance();
        capture.offer(Trace::limited, v);
    }
    EXPECT_FLOAT_EQ(capture.value(Trace::limited, kColumns - 1), 0.7f) << "the column filling";
    EXPECT_FLOAT_EQ(capture.value(Trace::source, kColumns - 1), 0.0f) << "other traces apart";
    untilNextColumn(capture);
    capture.offer(Trace::limited, 0.1f);
    EXPECT_FLOAT_EQ(capture.value(Trace::limited, kColumns - 2), 0.7f) << "now one column older";
    EXPECT_FLOAT_EQ(capture.value(Trace::limited, kColumns - 1), 0.1f);
}

TEST(WaveformCapture, ClearsAColumnWhenEnteringItAgain)
{
    Configured capture(44100, 200.0f);
    for (int i = 0; i < 8820; ++i)
    {
        capture.advance();
        offerAll(capture, 0.9f);
    }
    for (int i = 0; i < 8820 + 100; ++i)
    {
        capture.advance();
        offerAll(capture, 0.0f);
    }
    for (int i = 0; i < kColumns; ++i)
        ASSERT_EQ(capture.value(Trace::output, i), 0.0f) << "column " << i;
}

TEST(WaveformCapture, StepsLessThanAColumnPerSampleForAllowedTimesAbove1690Hz)
{
    for (int rate : {1691, 8000, 44100, 192000})
        for (float time : {200.0f, 1000.0f, 5000.0f})
        {
            Configured capture(rate, time);
            int column = 0;
            for (int i = 0; i < 3 * rate * time / 1000; ++i)
            {
                capture.advance();
                const int next = capture.currentColumn();
                const bool stays = next == column;
                const bool steps = next == column + 1 || (column == kColumns - 1 && next == 0);
                ASSERT_TRUE(stays || steps) << rate << " Hz, " << time << " ms, sample " << i;
                column = next;
            }
        }
}

TEST(WaveformCapture, CoversAbout522SamplesPerColumnAt44100HzAnd4000Ms)
{
    Configured capture(44100, 4000.0f);
    untilNextColumn(capture);
    for (int c = 0; c < 20; ++c)
    {
        const int samples = untilNextColumn(capture);
        ASSERT_TRUE(samples == 521 || samples == 522) << samples;
    }
}

TEST(WaveformCapture, StartsEveryLapAtExactlyColumnZero)
{
    // 337.98 columns per lap would let a kept fraction shift each lap; dropped, every lap
    // takes the same number of samples.
    Configured capture(48000, 211.0f);
    auto lap = [&]
    {
        int samples = untilNextColumn(capture);
        while (capture.currentColumn() != 0)
            samples += untilNextColumn(capture);
        return samples;
    };
    lap();
    const int first = lap();
    EXPECT_NEAR(first, 48000 * 0.211, 2.0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lap(), first);
}

TEST(WaveformCapture, ResetStartsAnEmptyEnvelopeAtColumnZero)
{
    Configured capture(44100, 200.0f);
    for (int i = 0; i < 5000; ++i)
    {
        capture.advance();
        offerAll(capture, 0.3f);
    }
    capture.reset(kColumns);
    EXPECT_EQ(capture.currentColumn(), 0);
    for (int i = 0; i < kColumns; ++i)
        ASSERT_EQ(capture.value(Trace::source, i), 0.0f);
}

TEST(WaveformCapture, StaysDefinedForAbsurdSettingsAndValues)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int rate : {0, -44100, 1})
        for (float time : {0.0f, -5.0f, nan, inf})
        {
            CWaveformCapture capture(rate);
            capture.reset(100000);
            ASSERT_EQ(capture.columns(), CWaveformCapture::kMaxColumns);
            capture.setTime(time);
            for (int i = 0; i < 2 * CWaveformCapture::kMaxColumns; ++i)
            {
                capture.advance();
                capture.offer(Trace::source, nan);
                capture.offer(Trace::limited, inf);
                ASSERT_LT(capture.currentColumn(), CWaveformCapture::kMaxColumns);
            }
            EXPECT_EQ(capture.value(Trace::source, CWaveformCapture::kMaxColumns - 1), 0.0f);
            EXPECT_EQ(capture.value(Trace::limited, CWaveformCapture::kMaxColumns - 1), 0.0f);
        }
    CWaveformCapture capture(44100);
    capture.reset(-3);
    EXPECT_EQ(capture.columns(), 0);
    capture.reset(kColumns);
    EXPECT_EQ(capture.value(Trace::output, -1), 0.0f);
    EXPECT_EQ(capture.value(Trace::output, kColumns), 0.0f);
}

} // namespace

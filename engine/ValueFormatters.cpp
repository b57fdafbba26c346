#include "engine/ValueFormatters.h"

#include "engine/ParameterRecords.h"

#include <cstdio>

namespace
{
void print(char* text, const char* format, double value)
{
    std::snprintf(text, kValueTextSize, format, value);
}

void printText(char* text, const char* literal)
{
    std::snprintf(text, kValueTextSize, "%s", literal);
}
} // namespace

void formatDecibels(float value, char* text)
{
    if (value < -160.0f)
        printText(text, "-oo dB");
    else if (value > 160.0f)
        printText(text, "oo dB");
    else
        print(text, "%.1fdB", value);
}

void formatFrequency(float value, char* text)
{
    // The kHz factor of the middle range is the float 0.001, multiplied in double:
    // it is what makes 1235 Hz read "1.24kHz".
    if (value < 100.0f)
        print(text, "%.1fHz", value);
    else if (value < 1000.0f)
        print(text, "%.0fHz", value);
    else if (value < 10000.0f)
        print(text, "%.2fkHz", double(value) * double(0.001f));
    else
        print(text, "%.1fkHz", double(value) * 0.001);
}

void formatCrossover(float value, char* text)
{
    // The same limits at which the engine switches the outer bands off.
    if (double(value) <= 10.1 || value >= 19999.0f)
        printText(text, "(off)");
    else
        formatFrequency(value, text);
}

void formatLevel(float value, char* text)
{
    if (value == 0.0f)
        printText(text, "0.00");
    else if (double(value) < 0.1)
        print(text, "%.4f", value);
    else if (value < 1.0f)
        print(text, "%.3f", value);
    else if (value < 10.0f)
        print(text, "%.2f", value);
    else if (value < 100.0f)
        print(text, "%.1f", value);
    else
        print(text, "%.0f", value);
}

void formatTime(float milliseconds, char* text)
{
    const double ms = milliseconds;
    const double seconds = ms * double(0.001f);
    // Below a millisecond in microseconds, written "us" in plain ASCII.
    if (milliseconds < 0.01f)
        print(text, "%.2fus", ms * 1000.0);
    else if (milliseconds < 0.1f)
        print(text, "%.1fus", ms * 1000.0);
    else if (milliseconds < 1.0f)
        print(text, "%.0fus", ms * 1000.0);
    else if (milliseconds < 10.0f)
        print(text, "%.2fms", ms);
    else if (milliseconds < 100.0f)
        print(text, "%.1fms", ms);
    else if (milliseconds < 1000.0f)
        print(text, "%.0fms", ms);
    else if (milliseconds < 10000.0f)
        print(text, "%.2fs", seconds);
    else if (milliseconds < 100000.0f)
        print(text, "%.1fs", seconds);
    else
        print(text, "%.0fs", seconds);
}

void formatCeiling(float dB, char* text)
{
    if (kCeilingRecord.isOn(dB))
        std::snprintf(text, kValueTextSize, "%.1f dBTP", double(dB));
    else
        std::snprintf(text, kValueTextSize, "OFF");
}

// The units every stage, adapter and host shares: level and time conversions, and the rate a
// stage runs at until it is told the host's.
#pragma once

#include <cmath>

// Every stage runs at this rate from its construction until it is given another.
constexpr int kDefaultSampleRate = 44100;

// A level in dB as a linear amplitude.
inline double gainFromDecibels(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

// The band limiters' form of the same conversion: the rounded base 10^(1/20) raised to the
// level. Its last bits differ from gainFromDecibels for most levels, and the limiters'
// output keeps them.
inline double bandGainFromDecibels(double decibels)
{
    constexpr double kDecibelBase = 1.1220184543019636;
    return std::pow(kDecibelBase, decibels);
}

// A linear amplitude as a level in dB (-inf for 0).
inline double decibelsFromGain(double gain)
{
    return 20.0 * std::log10(gain);
}

// A time in ms as a (fractional) number of frames at `sampleRate`.
inline double framesFromMs(double milliseconds, double sampleRate)
{
    return milliseconds * sampleRate * 0.001;
}

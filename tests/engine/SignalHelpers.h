// Signals and measurements shared by the engine stage tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

// Uniform noise in [-amplitude, amplitude], the same on every run.
inline std::vector<float> noise(int n, float amplitude, std::uint32_t seed = 7)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    std::vector<float> samples(n);
    for (float& s : samples)
    {
        s = uniform(generator);
    }
    return samples;
}

// The steady-state gain of a linear stage at `frequency`. `run(in, out, n)` filters a block.
// The stage gets half a second of a cosine to settle, then the response is fitted over one
// second, a whole number of periods for an integer frequency, so that no leakage disturbs the
// fit. DC and the Nyquist frequency are fitted against the cosine alone.
template <typename Run> double gainAt(Run&& run, double frequency, int sampleRate)
{
    constexpr double kPi = 3.141592653589793;
    constexpr double kAmplitude = 0.5;
    const int settle = sampleRate / 2;
    const int n = settle + sampleRate;
    const double w = 2.0 * kPi * frequency / sampleRate;
    std::vector<float> in(n);
    std::vector<float> out(n);
    for (int i = 0; i < n; ++i)
    {
        in[i] = static_cast<float>(kAmplitude * std::cos(w * i));
    }
    run(in.data(), out.data(), n);

    const bool edge = frequency == 0.0 || 2.0 * frequency == sampleRate;
    double sine = 0.0;
    double cosine = 0.0;
    for (int i = settle; i < n; ++i)
    {
        sine += out[i] * std::sin(w * i);
        cosine += out[i] * std::cos(w * i);
    }
    const double scale = (edge ? 1.0 : 2.0) / sampleRate;
    return std::hypot(sine * scale, cosine * scale) / kAmplitude;
}

inline double decibels(double gain)
{
    return 20.0 * std::log10(gain);
}

// Stereo signals whose peaks lie between their samples, for the true-peak stage's tests and its
// bench.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

inline constexpr double kPi = 3.141592653589793;

struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
};

// A quarter of a second of each: signals whose peaks lie between their samples.
struct Stress
{
    std::string name;
    Stereo signal;
};

inline Stereo tone(int rate, double frequency, double amplitude, double phase, int n)
{
    Stereo s;
    for (int i = 0; i < n; ++i)
    {
        const double angle = 2.0 * kPi * frequency * i / rate + phase;
        s.left.push_back(static_cast<float>(amplitude * std::sin(angle)));
        s.right.push_back(static_cast<float>(amplitude * std::cos(angle)));
    }
    return s;
}

inline Stereo squareWaves(int rate)
{
    Stereo s;
    for (int i = 0; i < rate / 4; ++i)
    {
        s.left.push_back(std::fmod(i * 997.0 / rate, 1.0) < 0.5 ? 1.0f : -1.0f);
        s.right.push_back(std::fmod(i * 3001.0 / rate, 1.0) < 0.5 ? 1.0f : -1.0f);
    }
    return s;
}

inline Stereo clippedNoise(int rate)
{
    std::mt19937 generator(11);
    std::normal_distribution<float> gauss(0.0f, 1.0f);
    Stereo s;
    for (int i = 0; i < rate / 4; ++i)
    {
        s.left.push_back(std::clamp(gauss(generator), -1.0f, 1.0f));
        s.right.push_back(std::clamp(gauss(generator), -1.0f, 1.0f));
    }
    return s;
}

// Single impulses, pairs and trains of alternating sign, at random distances.
inline Stereo impulses(int rate)
{
    Stereo s;
    s.left.assign(rate / 4, 0.0f);
    s.right.assign(rate / 4, 0.0f);
    std::mt19937 generator(5);
    std::uniform_int_distribution<int> gap(20, 400);
    for (int i = 100, pattern = 0; i + 8 < rate / 4; i += gap(generator), ++pattern)
    {
        std::vector<float>& channel = pattern % 3 == 0 ? s.right : s.left;
        const std::vector<std::vector<float>> shapes = {
            {1.0f}, {1.0f, 1.0f}, {1.0f, -1.0f, 0.0f, 1.0f}, {1, 1, -1, -1, 1, 1, -1, -1}};
        const std::vector<float>& shape = shapes[pattern % shapes.size()];
        std::copy(shape.begin(), shape.end(), channel.begin() + i);
    }
    return s;
}

// Logarithmic, from 20 Hz to 20 kHz at full scale.
inline Stereo sweepTo20kHz(int rate)
{
    Stereo s;
    const int n = rate / 4;
    const double ratio = std::log(20000.0 / 20.0);
    double phase = 0.0;
    for (int i = 0; i < n; ++i)
    {
        phase += 2.0 * kPi * 20.0 * std::exp(ratio * i / n) / rate;
        s.left.push_back(static_cast<float>(std::sin(phase)));
        s.right.push_back(static_cast<float>(std::cos(phase)));
    }
    return s;
}

// Steps between full scale, silence and full scale of the other sign.
inline Stereo dcSteps(int rate)
{
    Stereo s;
    const std::vector<float> levels = {1.0f, 0.0f, -1.0f, 1.0f, 0.0f, 1.0f, -1.0f};
    for (int i = 0; i < rate / 4; ++i)
    {
        s.left.push_back(levels[i * 7 / (rate / 4)]);
        s.right.push_back(levels[(i * 7 / (rate / 4) + 3) % 7]);
    }
    return s;
}

// Bursts of full-scale samples whose signs follow the lobes of the sinc around a point between
// two of them, so that all of them add up there: the largest peak samples at full scale can
// have, several times full scale, at a quarter and halfway between samples, in turn.
inline Stereo worstCasePatterns(int rate)
{
    constexpr int kReach = 64;
    Stereo s;
    s.left.assign(rate / 4, 0.0f);
    s.right.assign(rate / 4, 0.0f);
    for (int at = 2 * kReach, burst = 0; at + kReach < rate / 4; at += 5 * kReach, ++burst)
    {
        const double point = at + (burst % 2 ? 0.25 : 0.5);
        std::vector<float>& channel = burst % 3 == 0 ? s.right : s.left;
        for (int i = at - kReach; i <= at + kReach; ++i)
        {
            channel[i] = std::sin(kPi * (point - i)) / (point - i) > 0.0 ? 1.0f : -1.0f;
        }
    }
    return s;
}

inline std::vector<Stress> stressSignals(int rate)
{
    // Samples at +-1 with peaks 3 dB higher between them.
    const Stereo quarterRate = tone(rate, rate / 4.0, std::sqrt(2.0), kPi / 4.0, rate / 4);
    // Where libebur128's interpolator reads 0.11 dB high.
    const Stereo thirdRate = tone(rate, rate * 0.335, 1.0, 0.3, rate / 4);
    return {{"sine at a quarter of the rate", quarterRate},
            {"full-scale square waves", squareWaves(rate)},
            {"clipped noise", clippedNoise(rate)},
            {"impulses", impulses(rate)},
            {"sweep to 20 kHz", sweepTo20kHz(rate)},
            {"tone at a third of the rate", thirdRate},
            {"DC steps", dcSteps(rate)},
            {"worst-case sample patterns", worstCasePatterns(rate)}};
}

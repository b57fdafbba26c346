#include "engine/BandLimiter.h"

#include "engine/Smoothing.h"
#include "engine/Units.h"

#include <cmath>

CBandLimiter::Settings CBandLimiter::initialSettings()
{
    Settings s;
    computeCoefficients(s);
    return s;
}

void CBandLimiter::computeCoefficients(Settings& s)
{
    s.attack = smoothingCoefficient(s.attackMs, s.sampleRate);
    s.oneMinusAttack = 1.0 - s.attack;
    s.release = smoothingCoefficient(s.releaseMs, s.sampleRate);
    s.oneMinusRelease = 1.0 - s.release;
}

CBandLimiter::CBandLimiter() : settings_(initialSettings()), active_(initialSettings()) {}

void CBandLimiter::setThreshold(double dB)
{
    if (!std::isfinite(dB))
    {
        return;
    }
    settings_.modify([dB](Settings& s) { s.threshold = bandGainFromDecibels(dB); });
}

void CBandLimiter::setAttack(double ms)
{
    if (!std::isfinite(ms))
    {
        return;
    }
    settings_.modify(
        [ms](Settings& s)
        {
            s.attackMs = ms;
            computeCoefficients(s);
        });
}

void CBandLimiter::setRelease(double ms)
{
    if (!std::isfinite(ms))
    {
        return;
    }
    settings_.modify(
        [ms](Settings& s)
        {
            s.releaseMs = ms;
            computeCoefficients(s);
        });
}

void CBandLimiter::setGain(double dB)
{
    if (!std::isfinite(dB))
    {
        return;
    }
    settings_.modify([dB](Settings& s) { s.bandGain = bandGainFromDecibels(dB); });
}

void CBandLimiter::setSampleRate(int rate)
{
    if (rate <= 0)
    {
        return;
    }
    settings_.modify(
        [rate](Settings& s)
        {
            s.sampleRate = rate;
            computeCoefficients(s);
        });
}

void CBandLimiter::reset()
{
    level_ = 0.0;
    gain_ = 1.0;
}

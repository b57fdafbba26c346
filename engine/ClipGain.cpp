#include "engine/ClipGain.h"

#include "engine/Smoothing.h"

#include <cmath>

CClipGain::CClipGain()
{
    computeRelease();
}

void CClipGain::setSampleRate(int rate)
{
    if (rate <= 0)
    {
        return;
    }
    sampleRate_ = rate;
    computeRelease();
}

void CClipGain::setRelease(double ms)
{
    if (!std::isfinite(ms))
    {
        return;
    }
    releaseMs_ = ms;
    computeRelease();
}

void CClipGain::computeRelease()
{
    release_ = smoothingCoefficient(releaseMs_, sampleRate_);
    oneMinusRelease_ = 1.0 - release_;
}

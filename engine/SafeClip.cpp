#include "engine/SafeClip.h"

CSafeClip::CSafeClip()
{
    reset();
}

void CSafeClip::setThreshold(double kneeStart)
{
    if (!(kneeStart > 0.0 && kneeStart < 1.0))
    {
        return;
    }
    kneeStart_ = kneeStart;
    left_.gain.knee().setKneeStart(kneeStart);
    left_.gain.knee().solve(kFullScaleInput);
    right_.gain.knee() = left_.gain.knee();
}

void CSafeClip::setSampleRate(int rate)
{
    if (rate <= 0)
    {
        return;
    }
    left_.gain.setSampleRate(rate);
    right_.gain.setSampleRate(rate);
}

void CSafeClip::setRelease(double ms)
{
    left_.gain.setRelease(ms);
    right_.gain.setRelease(ms);
}

void CSafeClip::reset()
{
    for (Channel* channel : {&left_, &right_})
    {
        channel->triggers = 0;
        channel->excess.fill(0.0);
        channel->sample.fill(0.0);
        channel->gain.reset();
    }
    write_ = 0;
    read_ = 1;
}

#include "engine/CeilingStage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CCeilingStage::CCeilingStage(int sampleRate) : limiter_(sampleRate)
{
    setSampleRate(sampleRate);
}

void CCeilingStage::setSampleRate(int sampleRate)
{
    limiter_.setSampleRate(sampleRate);
    const size_t historyFrames = 2 * size_t(limiter_.latencyFrames());
    historyLeft_.assign(historyFrames, 0.0f);
    historyRight_.assign(historyFrames, 0.0f);
    fadeFrames_ = std::max(1, int(std::lround(kFadeMs * sampleRate / 1000.0)));
    reset();
}

void CCeilingStage::reset()
{
    limiter_.reset();
    std::fill(historyLeft_.begin(), historyLeft_.end(), 0.0f);
    std::fill(historyRight_.begin(), historyRight_.end(), 0.0f);
    historyPosition_ = 0;
    fadePosition_ = fadeTarget();
    started_ = false;
}

void CCeilingStage::switchOn(bool on)
{
    on_ = on;
    if (!started_)
        fadePosition_ = fadeTarget();
}

int CCeilingStage::latencyFrames() const
{
    return 2 * fadePosition_ >= fadeFrames_ ? lookAheadFrames() : 0;
}

void CCeilingStage::process(float* left, float* right, int frames)
{
    lowestGain_ = 1.0;
    for (int offset = 0; offset < frames; offset += kChunkFrames)
        processChunk(left + offset, right + offset, std::min(kChunkFrames, frames - offset));
    started_ = started_ || frames > 0;
}

void CCeilingStage::processChunk(float* left, float* right, int frames)
{
    if (on_ && fadePosition_ == 0)
        startLimiter();
    remember(left, right, frames);
    // Off: the input passes unchanged.
    if (!limiterRuns())
        return;
    // On, the fade over: the limiter's output alone.
    if (fadePosition_ == fadeTarget())
    {
        limit(left, right, frames);
        return;
    }
    float inLeft[kChunkFrames];
    float inRight[kChunkFrames];
    std::copy(left, left + frames, inLeft);
    std::copy(right, right + frames, inRight);
    limit(left, right, frames);
    crossfade(inLeft, inRight, left, right, frames);
}

void CCeilingStage::limit(float* left, float* right, int frames)
{
    limiter_.process(left, right, left, right, frames);
    lowestGain_ = std::min(lowestGain_, limiter_.lowestGainOfLastBlock());
}

void CCeilingStage::remember(const float* left, const float* right, int frames)
{
    const int size = int(historyLeft_.size());
    int position = historyPosition_;
    for (int i = 0; i < frames; ++i)
    {
        historyLeft_[size_t(position)] = left[i];
        historyRight_[size_t(position)] = right[i];
        position = position + 1 == size ? 0 : position + 1;
    }
    historyPosition_ = position;
}

// The limiter hears the history, oldest first; what it outputs meanwhile was played already.
void CCeilingStage::startLimiter()
{
    limiter_.reset();
    float ignoredLeft[kChunkFrames];
    float ignoredRight[kChunkFrames];
    const auto hear = [&](int from, int to)
    {
        for (int offset = from; offset < to; offset += kChunkFrames)
        {
            const int n = std::min(kChunkFrames, to - offset);
            limiter_.process(&historyLeft_[size_t(offset)], &historyRight_[size_t(offset)],
                             ignoredLeft, ignoredRight, n);
        }
    };
    hear(historyPosition_, int(historyLeft_.size()));
    hear(0, historyPosition_);
}

// The weight of the limiter's output at a position of the fade: it starts and ends without a
// bend, its change from frame to frame rising from 0 and falling back to 0 smoothly.
double CCeilingStage::weightAt(int position) const
{
    const double t = double(position) / fadeFrames_;
    return t - std::sin(2.0 * std::numbers::pi * t) / (2.0 * std::numbers::pi);
}

// The input and the limiter's output (in left and right) mixed. The weight's change from one
// frame to the next, times the look-ahead, is how much further than the signal itself the mix
// can move in that frame; the level dips by as much, and comes back as smoothly.
void CCeilingStage::crossfade(const float* inLeft, const float* inRight, float* left, float* right,
                              int frames)
{
    const double lookAhead = limiter_.latencyFrames();
    const int target = fadeTarget();
    int position = fadePosition_;
    double weight = weightAt(position);
    for (int i = 0; i < frames; ++i)
    {
        position += position < target ? 1 : (position > target ? -1 : 0);
        const double previousWeight = weight;
        weight = weightAt(position);
        const double level = 1.0 / (1.0 + lookAhead * std::fabs(weight - previousWeight));
        left[i] = float(level * ((1.0 - weight) * inLeft[i] + weight * left[i]));
        right[i] = float(level * ((1.0 - weight) * inRight[i] + weight * right[i]));
    }
    fadePosition_ = position;
}

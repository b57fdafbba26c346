#include "engine/BypassDelay.h"

#include <algorithm>

void CBypassDelay::reset()
{
    std::fill(std::begin(left_), std::end(left_), 0.0f);
    std::fill(std::begin(right_), std::end(right_), 0.0f);
    position_ = 0;
}

void CBypassDelay::listen(const float* inLeft, const float* inRight, int frames)
{
    int position = position_;
    for (int i = 0; i < frames; ++i)
    {
        left_[position] = inLeft[i];
        right_[position] = inRight[i];
        position = position + 1 == kFrames ? 0 : position + 1;
    }
    position_ = position;
}

void CBypassDelay::process(const float* inLeft, const float* inRight, float* outLeft,
                           float* outRight, int frames)
{
    int position = position_;
    for (int i = 0; i < frames; ++i)
    {
        // Read the input before the output is written: they may be the same sample.
        const float left = inLeft[i];
        const float right = inRight[i];
        outLeft[i] = left_[position];
        outRight[i] = right_[position];
        left_[position] = left;
        right_[position] = right;
        position = position + 1 == kFrames ? 0 : position + 1;
    }
    position_ = position;
}

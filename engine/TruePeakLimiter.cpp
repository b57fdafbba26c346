#include "engine/TruePeakLimiter.h"

#include "engine/Smoothing.h"
#include "engine/Units.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace
{
// The gain falls over this time before a peak, over kMinRampFrames at least.
constexpr double kRampMs = 1.2;
// Output samples this many frames to either side of a peak get the gain the peak asks for, so
// that the meters' interpolators, which reach as far (ffmpeg's), see one gain around it.
constexpr int kHoldFrames = 16;
// The gain's fall spans at least this many frames, at any rate.
constexpr int kMinRampFrames = 4;
// The gain aims this far below the ceiling: room for the detector's error on signals that are not
// one sine and for a change of the gain across the samples around a peak.
constexpr double kMarginDb = 0.05;
// A release that has come this close to gain 1 ends there.
constexpr double kReleaseEnd = 1.0 / 16777216.0; // 2^-24

// The smallest whole number at or above x, for 0 <= x < 2^51: adding and taking away 2^52
// rounds to the nearest one.
double unitsAbove(double x)
{
    constexpr double kRounder = 4503599627370496.0; // 2^52
    const double nearest = (x + kRounder) - kRounder;
    return nearest < x ? nearest + 1.0 : nearest;
}
} // namespace

CTruePeakLimiter::CTruePeakLimiter(int sampleRate)
{
    computeTarget();
    setSampleRate(sampleRate);
}

void CTruePeakLimiter::setSampleRate(int rate)
{
    sampleRate_ = std::clamp(rate, kMinSampleRate, kMaxSampleRate);
    detector_.setSampleRate(sampleRate_);
    const int detectorDelay = detector_.delayFrames();
    const int ramp = std::max(kMinRampFrames, static_cast<int>(sampleRate_ * kRampMs / 1000.0));
    // The gain of an output frame is the average, with trapezoid weights over `ramp` frames,
    // of the held reduction of the frames from kHoldFrames after it on; holding over
    // 2 kHoldFrames + ramp covers every frame within kHoldFrames of it.
    lookAhead_ = detectorDelay + kHoldFrames + ramp - 1;
    firstBox_ = (ramp + 1) / 2;
    secondBox_ = ramp + 1 - firstBox_;
    holdWindow_ = 2 * kHoldFrames + ramp;
    fullReduction_ = double(firstBox_) * double(secondBox_) * kReductionUnits;

    const unsigned ringSize = std::bit_ceil(unsigned(holdWindow_) + 1u);
    mask_ = ringSize - 1;
    delayLeft_.assign(lookAhead_ + kChunkFrames, 0.0f);
    delayRight_.assign(lookAhead_ + kChunkFrames, 0.0f);
    queueReduction_.assign(ringSize, 0.0);
    queueFrame_.assign(ringSize, 0);
    firstBoxRing_.assign(ringSize, 0.0);
    secondBoxRing_.assign(ringSize, 0.0);
    releaseCoeff_ = smoothingCoefficient(releaseMs_, sampleRate_);
    reset();
}

void CTruePeakLimiter::setCeiling(double dBTP)
{
    if (!std::isfinite(dBTP))
    {
        return;
    }
    ceilingDb_ = std::clamp(std::round(dBTP * 10.0) / 10.0, kMinCeilingDb, kMaxCeilingDb);
    computeTarget();
}

void CTruePeakLimiter::setRelease(double ms)
{
    if (!std::isfinite(ms))
    {
        return;
    }
    releaseMs_ = std::clamp(ms, kMinReleaseMs, kMaxReleaseMs);
    releaseCoeff_ = smoothingCoefficient(releaseMs_, sampleRate_);
}

void CTruePeakLimiter::computeTarget()
{
    target_ = gainFromDecibels(ceilingDb_ - kMarginDb);
    detector_.setFitLevel(target_);
}

void CTruePeakLimiter::reset()
{
    detector_.reset();
    std::fill(delayLeft_.begin(), delayLeft_.end(), 0.0f);
    std::fill(delayRight_.begin(), delayRight_.end(), 0.0f);
    std::fill(firstBoxRing_.begin(), firstBoxRing_.end(), 0.0);
    std::fill(secondBoxRing_.begin(), secondBoxRing_.end(), 0.0);
    queueHead_ = 0;
    queueTail_ = 0;
    heldReduction_ = 0.0;
    firstSum_ = 0.0;
    secondSum_ = 0.0;
    frame_ = 0;
    lowestGain_ = 1.0;
}

void CTruePeakLimiter::process(const float* inLeft, const float* inRight, float* outLeft,
                               float* outRight, int frames)
{
    double lowest = 1.0;
    for (int offset = 0; offset < frames; offset += kChunkFrames)
    {
        const int n = std::min(kChunkFrames, frames - offset);
        lowest = std::min(lowest, processChunk(inLeft + offset, inRight + offset, outLeft + offset,
                                               outRight + offset, n));
    }
    lowestGain_ = lowest;
}

// The whole chunk is read before any output of it is written, so the outputs may be the inputs.
double CTruePeakLimiter::processChunk(const float* inLeft, const float* inRight, float* outLeft,
                                      float* outRight, int n)
{
    takeInput(inLeft, inRight, n);
    detector_.detect(delayLeft_.data() + lookAhead_, delayRight_.data() + lookAhead_, n, peaks_);
    computeReductions(n);
    computeGains(n);
    const double lowest = applyGains(outLeft, outRight, n);
    // Keep the last lookAhead_ frames for the next chunk.
    std::copy(delayLeft_.begin() + n, delayLeft_.begin() + n + lookAhead_, delayLeft_.begin());
    std::copy(delayRight_.begin() + n, delayRight_.begin() + n + lookAhead_, delayRight_.begin());
    return lowest;
}

void CTruePeakLimiter::takeInput(const float* inLeft, const float* inRight, int n)
{
    auto usable = [](float sample)
    {
        constexpr float kLargest = CTruePeakDetector::kMaxMagnitude;
        return std::isfinite(sample) ? std::max(-kLargest, std::min(sample, kLargest)) : 0.0f;
    };
    float* left = delayLeft_.data() + lookAhead_;
    float* right = delayRight_.data() + lookAhead_;
    for (int i = 0; i < n; ++i)
    {
        left[i] = usable(inLeft[i]);
        right[i] = usable(inRight[i]);
    }
}

void CTruePeakLimiter::computeReductions(int n)
{
    const double target = target_;
    for (int i = 0; i < n; ++i)
    {
        reductions_[i] = peaks_[i] > target ? 1.0 - target / peaks_[i] : 0.0;
    }
}

void CTruePeakLimiter::computeGains(int n)
{
    const unsigned mask = mask_;
    const std::uint32_t holdWindow = static_cast<std::uint32_t>(holdWindow_);
    const std::uint32_t firstBox = static_cast<std::uint32_t>(firstBox_);
    const std::uint32_t secondBox = static_cast<std::uint32_t>(secondBox_);
    const double releaseCoeff = releaseCoeff_;
    const double fullReduction = fullReduction_;
    double* queueReduction = queueReduction_.data();
    std::uint32_t* queueFrame = queueFrame_.data();
    double* firstBoxRing = firstBoxRing_.data();
    double* secondBoxRing = secondBoxRing_.data();
    unsigned head = queueHead_;
    unsigned tail = queueTail_;
    double held = heldReduction_;
    double firstSum = firstSum_;
    double secondSum = secondSum_;
    std::uint32_t frame = frame_;

    for (int i = 0; i < n; ++i)
    {
        // The deepest reduction the peaks of the last holdWindow periods ask for.
        const double asked = reductions_[i];
        while (tail != head && queueReduction[(tail - 1) & mask] <= asked)
        {
            --tail;
        }
        queueReduction[tail & mask] = asked;
        queueFrame[tail & mask] = frame;
        ++tail;
        if (frame - queueFrame[head & mask] >= holdWindow)
        {
            ++head;
        }

        // The release runs unbroken within the chunk, as a short chain of dependent steps;
        // what it brings below kReleaseEnd counts as 0.
        const double deepest = queueReduction[head & mask];
        held = std::max(held * releaseCoeff, deepest);
        const double applied = held < kReleaseEnd ? deepest : held;

        // Two moving averages make the trapezoid; rounding up keeps every gain at or below
        // what the peaks ask for.
        const double units = unitsAbove(applied * kReductionUnits);
        firstSum += units - firstBoxRing[(frame - firstBox) & mask];
        firstBoxRing[frame & mask] = units;
        secondSum += firstSum - secondBoxRing[(frame - secondBox) & mask];
        secondBoxRing[frame & mask] = firstSum;
        gains_[i] = secondSum;
        ++frame;
    }
    // Exactly 1 without limiting and exactly 0 at full reduction, whatever the sizes; divided
    // apart from the running sums, as one vector operation for several frames.
    for (int i = 0; i < n; ++i)
    {
        gains_[i] = (fullReduction - gains_[i]) / fullReduction;
    }

    queueHead_ = head;
    queueTail_ = tail;
    heldReduction_ = held < kReleaseEnd ? 0.0 : held;
    firstSum_ = firstSum;
    secondSum_ = secondSum;
    frame_ = frame;
}

// Each output frame is the input lookAhead_ frames earlier times its gain.
double CTruePeakLimiter::applyGains(float* outLeft, float* outRight, int n)
{
    const float* left = delayLeft_.data();
    const float* right = delayRight_.data();
    double lowest = 1.0;
    for (int i = 0; i < n; ++i)
    {
        outLeft[i] = static_cast<float>(left[i] * gains_[i]);
        outRight[i] = static_cast<float>(right[i] * gains_[i]);
        lowest = std::min(lowest, gains_[i]);
    }
    return lowest;
}

#include "engine/LimiterEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
// Each band limits below its threshold setting by its own offset.
constexpr double kThresholdOffsetDb[kNumBands] = {7.5, 8.0, 9.0};
// The low band reacts slower and the high band faster than the middle one.
constexpr double kAttackScale[kNumBands] = {4.385964912280702, 1.0, 0.4385964912280702};
constexpr double kReleaseScale[kNumBands] = {1.160337552742616, 1.0, 0.7911392405063291};
// The outer bands exist only between these crossover settings.
constexpr double kLowBandOffAtOrBelowHz = 10.1;
constexpr float kHighBandOffFromHz = 19999.0f;
constexpr double kSafeClipKneeStart = 0.8f;
// Sens pulls the upper bands down by nine tenths of the low band's reduction.
constexpr double kSensFloor = 0.1;

constexpr double kInitialAttackMs = 1.0;
constexpr double kInitialReleaseMs = 50.0;

float larger(float a, float b)
{
    return a > b ? a : b;
}

float peakOf(float left, float right)
{
    return larger(std::fabs(left), std::fabs(right));
}

double peakOf(double left, double right)
{
    return std::max(std::fabs(left), std::fabs(right));
}

// A band difference or an output sample beyond the float range saturates instead of
// becoming infinite: an infinite band times a zero gain would give NaN. Such a value rounds to
// an infinity, so the loops compute without a per-sample clamp and a chunk that holds an
// infinity is saturated afterwards, which gives the bits the clamp would.
constexpr float kLargestFloat = std::numeric_limits<float>::max();

// Whether one of the values is infinite (or NaN). Integer arithmetic only, so that the loop
// vectorizes: the magnitude's bits reach the top bit when 2^23 is added only if the exponent's
// bits are all set.
bool holdsInfinity(const float* values, int n)
{
    constexpr std::uint32_t kMagnitude = 0x7fffffffu;
    constexpr std::uint32_t kLowestExponentBit = 0x00800000u;
    std::uint32_t found = 0;
    for (int i = 0; i < n; ++i)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        found |= (bits & kMagnitude) + kLowestExponentBit;
    }
    return (found & ~kMagnitude) != 0;
}

void saturateInfinities(float* values, int n)
{
    for (int i = 0; i < n; ++i)
        if (std::isinf(values[i]))
            values[i] = std::copysign(kLargestFloat, values[i]);
}

void saturateChunk(float* values, int n)
{
    if (holdsInfinity(values, n))
        saturateInfinities(values, n);
}
} // namespace

CLimiterEngine::CLimiterEngine(int sampleRate)
{
    lowCrossover_.setSampleRate(sampleRate);
    highCrossover_.setSampleRate(sampleRate);
    for (CBandLimiter& limiter : limiters_)
    {
        limiter.setSampleRate(sampleRate);
        limiter.setThreshold(0.0);
        limiter.setAttack(kInitialAttackMs);
        limiter.setRelease(kInitialReleaseMs);
    }
    safeClip_.setSampleRate(sampleRate);
    safeClip_.setEnabled(true);
    safeClip_.setRelease(kClipReleaseMs);
    safeClip_.setThreshold(kSafeClipKneeStart);
    reset();
}

// ---------------------------------------------------------------------------- parameters

void CLimiterEngine::setThreshold(int band, double decibels)
{
    if (band < 0 || band >= kNumBands)
        return;
    limiters_[band].setThreshold(decibels - kThresholdOffsetDb[band]);
}

void CLimiterEngine::setBandGain(int band, double decibels)
{
    if (band >= 0 && band < kNumBands)
        limiters_[band].setGain(decibels);
}

void CLimiterEngine::setLowCrossover(double hertz)
{
    lowCrossover_.setCrossover(hertz);
    lowBandOn_.store(hertz > kLowBandOffAtOrBelowHz, std::memory_order_relaxed);
}

void CLimiterEngine::setHighCrossover(double hertz)
{
    highCrossover_.setCrossover(hertz);
    highBandOn_.store(hertz < kHighBandOffFromHz, std::memory_order_relaxed);
}

void CLimiterEngine::setAttack(double milliseconds)
{
    for (int band = 0; band < kNumBands; ++band)
        limiters_[band].setAttack(milliseconds * kAttackScale[band]);
}

void CLimiterEngine::setRelease(double milliseconds)
{
    for (int band = 0; band < kNumBands; ++band)
        limiters_[band].setRelease(milliseconds * kReleaseScale[band]);
}

void CLimiterEngine::setSafeClip(bool on)
{
    safeClip_.setEnabled(on);
}

void CLimiterEngine::setSens(bool on)
{
    sensOn_.store(on, std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------- host state

void CLimiterEngine::setSampleRate(int sampleRate)
{
    lowCrossover_.setSampleRate(sampleRate);
    highCrossover_.setSampleRate(sampleRate);
    for (CBandLimiter& limiter : limiters_)
        limiter.setSampleRate(sampleRate);
    safeClip_.setSampleRate(sampleRate);
}

void CLimiterEngine::reset()
{
    lowCrossover_.clear();
    highCrossover_.clear();
    for (CBandLimiter& limiter : limiters_)
        limiter.reset();
    safeClip_.reset();
}

// ---------------------------------------------------------------------------- audio

void CLimiterEngine::process(int frames, const float* inLeft, const float* inRight, float* outLeft,
                             float* outRight, const ProcessContext& context)
{
    for (int offset = 0; offset < frames; offset += kEngineChunkFrames)
    {
        const int n = std::min(kEngineChunkFrames, frames - offset);
        processChunk(inLeft + offset, inRight + offset, outLeft + offset, outRight + offset, n,
                     context);
    }
}

void CLimiterEngine::processChunk(const float* inLeft, const float* inRight, float* outLeft,
                                  float* outRight, int n, const ProcessContext& context)
{
    takeScaledInput(inLeft, inRight, n, context.inputGain);
    const bool lowOn = lowBandOn();
    const bool highOn = highBandOn();
    splitBands(n, lowOn, highOn);
    for (CBandLimiter& limiter : limiters_)
        limiter.pullSettings();
    safeClip_.pullSettings();

    // The per-sample loop is compiled once for each combination of feeds, so that it tests
    // none of them per sample.
    BandMeters meters;
    if (context.peakListener)
    {
        limitAndSum<true, true>(outLeft, outRight, n, context, lowOn, highOn, meters);
        context.peakListener->takeChunkPeaks(peaks_, n);
    }
    else if (context.meters)
        limitAndSum<true, false>(outLeft, outRight, n, context, lowOn, highOn, meters);
    else
        limitAndSum<false, false>(outLeft, outRight, n, context, lowOn, highOn, meters);
    if (context.meters)
        publishMeters(meters, context, lowOn, highOn);
}

// The whole chunk is read here, before any output of it is written, so the host may hand
// the same arrays as input and output.
void CLimiterEngine::takeScaledInput(const float* inLeft, const float* inRight, int n, double gain)
{
    auto scaled = [gain](float sample)
    {
        const float value = static_cast<float>(sample * gain);
        return std::isfinite(value) ? value : 0.0f;
    };
    for (int i = 0; i < n; ++i)
    {
        inputLeft_[i] = scaled(inLeft[i]);
        inputRight_[i] = scaled(inRight[i]);
    }
}

// Low = low crossover's low-pass, middle = high crossover's low-pass minus low,
// high = input minus the high crossover's low-pass: the bands always add up to the input.
void CLimiterEngine::splitBands(int n, bool lowOn, bool highOn)
{
    const size_t bytes = sizeof(float) * size_t(n);
    if (highOn && lowOn)
    {
        CCrossover::processPair(highCrossover_, lowCrossover_, inputLeft_, inputRight_, midLeft_,
                                midRight_, lowLeft_, lowRight_, n);
    }
    else
    {
        if (highOn)
            highCrossover_.process(inputLeft_, inputRight_, midLeft_, midRight_, n);
        else
        {
            std::memcpy(midLeft_, inputLeft_, bytes);
            std::memcpy(midRight_, inputRight_, bytes);
        }
        if (lowOn)
            lowCrossover_.process(inputLeft_, inputRight_, lowLeft_, lowRight_, n);
        else
        {
            std::memset(lowLeft_, 0, bytes);
            std::memset(lowRight_, 0, bytes);
        }
    }
    for (int i = 0; i < n; ++i)
    {
        highLeft_[i] = inputLeft_[i] - midLeft_[i];
        highRight_[i] = inputRight_[i] - midRight_[i];
        midLeft_[i] = midLeft_[i] - lowLeft_[i];
        midRight_[i] = midRight_[i] - lowRight_[i];
    }
    for (float* band : {highLeft_, highRight_, midLeft_, midRight_})
        saturateChunk(band, n);
}

template <bool kMetering, bool kCapturing>
void CLimiterEngine::limitAndSum(float* outLeft, float* outRight, int n,
                                 const ProcessContext& context, bool lowOn, bool highOn,
                                 BandMeters& meters)
{
    CBandLimiter& lowLimiter = limiters_[0];
    CBandLimiter& midLimiter = limiters_[1];
    CBandLimiter& highLimiter = limiters_[2];
    const double lowMakeUp = lowLimiter.bandGain();
    const double midMakeUp = midLimiter.bandGain();
    const double highMakeUp = highLimiter.bandGain();
    const bool sens = sensOn_.load(std::memory_order_relaxed) != 0;
    const double outputGain = context.outputGain;

    for (int i = 0; i < n; ++i)
    {
        if constexpr (kCapturing)
            peaks_.source[i] = static_cast<float>(peakOf(inputLeft_[i], inputRight_[i]));
        double gLow = lowLimiter.process(peakOf(lowLeft_[i], lowRight_[i]));
        double gMid = midLimiter.process(peakOf(midLeft_[i], midRight_[i]));
        double gHigh = highLimiter.process(peakOf(highLeft_[i], highRight_[i]));
        if (sens)
        {
            const double k = gLow + kSensFloor * (1.0 - gLow);
            gMid = gMid * k;
            gHigh = gHigh * k;
        }
        if constexpr (kMetering)
        {
            if (lowOn)
                meters.minGain[0] = std::min(meters.minGain[0], gLow);
            meters.minGain[1] = std::min(meters.minGain[1], gMid);
            if (highOn)
                meters.minGain[2] = std::min(meters.minGain[2], gHigh);
        }
        gLow = gLow * lowMakeUp;
        gMid = gMid * midMakeUp;
        gHigh = gHigh * highMakeUp;

        const double sumLeft =
            outputGain * (gLow * lowLeft_[i] + gMid * midLeft_[i] + gHigh * highLeft_[i]);
        const double sumRight =
            outputGain * (gLow * lowRight_[i] + gMid * midRight_[i] + gHigh * highRight_[i]);
        if constexpr (kMetering)
        {
            meters.level[0] =
                std::max(meters.level[0], peakOf(gLow * lowLeft_[i], gLow * lowRight_[i]));
            meters.level[1] =
                std::max(meters.level[1], peakOf(gMid * midLeft_[i], gMid * midRight_[i]));
            meters.level[2] =
                std::max(meters.level[2], peakOf(gHigh * highLeft_[i], gHigh * highRight_[i]));
            const double peak = peakOf(sumLeft, sumRight);
            meters.peak = std::max(meters.peak, peak);
            if constexpr (kCapturing)
                peaks_.limited[i] = static_cast<float>(peak);
        }

        const StereoSample out = safeClip_.process(sumLeft, sumRight);
        if constexpr (kCapturing)
            peaks_.output[i] = static_cast<float>(peakOf(out.left, out.right));
        outLeft[i] = static_cast<float>(out.left);
        outRight[i] = static_cast<float>(out.right);
    }
    saturateChunk(outLeft, n);
    saturateChunk(outRight, n);
}

void CLimiterEngine::publishMeters(const BandMeters& meters, const ProcessContext& context,
                                   bool lowOn, bool highOn)
{
    MeterValues& values = *context.meters;
    for (int band = 0; band < kNumBands; ++band)
    {
        publishMin(values.bandMinGain[band], meters.minGain[band]);
        publishMax(values.bandLevel[band], meters.level[band]);
    }
    if (context.meterGainMode)
    {
        double lowest = meters.minGain[1];
        if (lowOn)
            lowest = std::min(lowest, meters.minGain[0]);
        if (highOn)
            lowest = std::min(lowest, meters.minGain[2]);
        publishMin(values.minGain, lowest);
    }
    else
    {
        publishMax(values.outPeak, meters.peak);
    }
}

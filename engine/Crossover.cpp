#include "engine/Crossover.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kCutoffScale = 6.8;
constexpr double kNyquistTerm = 50.0;
constexpr double kCrossoverQ = 0.15;

// The highest design frequency any setting gives, as a fraction of half the rate: 6.8/sqrt(50).
double highestCutoff(int sampleRate)
{
    return kCutoffScale / std::sqrt(kNyquistTerm) * (sampleRate / 2.0);
}

} // namespace

double designFrequency(double setting, int sampleRate)
{
    const double nyquist = sampleRate / 2.0;
    return kCutoffScale / std::sqrt(1.0 / (setting * setting) + kNyquistTerm / (nyquist * nyquist));
}

CCrossover::Settings CCrossover::neutralSettings()
{
    Settings s;
    s.coefficients = designCoefficients(s.design);
    return s;
}

CCrossover::CCrossover() : settings_(neutralSettings()), active_(neutralSettings()) {}

void CCrossover::designLowPass(Settings& s, double frequency)
{
    s.design.type = FilterType::LowPass;
    s.design.frequency = std::fmin(frequency, highestCutoff(s.sampleRate));
    s.design.q = kCrossoverQ;
    s.coefficients = designCoefficients(s.design);
}

void CCrossover::setCrossover(double settingHz)
{
    settings_.modify(
        [settingHz](Settings& s)
        {
            const double frequency = designFrequency(settingHz, s.sampleRate);
            if (frequency > 0.0)
            {
                s.hasSetting = true;
                s.setting = settingHz;
                designLowPass(s, frequency);
            }
        });
}

void CCrossover::setCutoff(double frequency)
{
    settings_.modify(
        [frequency](Settings& s)
        {
            if (frequency > 0.0)
            {
                s.hasSetting = false;
                designLowPass(s, frequency);
            }
        });
}

void CCrossover::setSampleRate(int rate)
{
    if (rate <= 0)
    {
        return;
    }
    settings_.modify(
        [rate](Settings& s)
        {
            s.sampleRate = rate;
            s.design.sampleRate = rate;
            if (s.hasSetting)
            {
                designLowPass(s, designFrequency(s.setting, rate));
            }
            else if (s.design.type == FilterType::LowPass)
            {
                designLowPass(s, s.design.frequency);
            }
            else
            {
                s.coefficients = designCoefficients(s.design);
            }
        });
    clear();
}

void CCrossover::clear()
{
    left_ = {};
    right_ = {};
}

void CCrossover::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                         int n)
{
    if (n <= 0 || inLeft == nullptr || inRight == nullptr || outLeft == nullptr ||
        outRight == nullptr)
    {
        return;
    }
    settings_.pull(active_);
    const BiquadCoefficients k = active_.coefficients;
    BiquadHistory left = left_;
    BiquadHistory right = right_;
    // Both channels side by side: their feedback chains are independent, so they overlap.
    for (int i = 0; i < n; ++i)
    {
        const float l = inLeft[i];
        const float r = inRight[i];
        outLeft[i] = left.step(k, l);
        outRight[i] = right.step(k, r);
    }
    left_ = left;
    right_ = right;
}

void CCrossover::processPair(CCrossover& first, CCrossover& second, const float* inLeft,
                             const float* inRight, float* firstLeft, float* firstRight,
                             float* secondLeft, float* secondRight, int n)
{
    if (n <= 0 || inLeft == nullptr || inRight == nullptr || firstLeft == nullptr ||
        firstRight == nullptr || secondLeft == nullptr || secondRight == nullptr)
    {
        return;
    }
    if (&first == &second)
    {
        // One crossover cannot run twice at once: run it once and give both the result.
        first.process(inLeft, inRight, firstLeft, firstRight, n);
        std::copy_n(firstLeft, n, secondLeft);
        std::copy_n(firstRight, n, secondRight);
        return;
    }
    first.settings_.pull(first.active_);
    second.settings_.pull(second.active_);
    const BiquadCoefficients k1 = first.active_.coefficients;
    const BiquadCoefficients k2 = second.active_.coefficients;
    BiquadHistory left1 = first.left_;
    BiquadHistory right1 = first.right_;
    BiquadHistory left2 = second.left_;
    BiquadHistory right2 = second.right_;
    for (int i = 0; i < n; ++i)
    {
        const float l = inLeft[i];
        const float r = inRight[i];
        firstLeft[i] = left1.step(k1, l);
        firstRight[i] = right1.step(k1, r);
        secondLeft[i] = left2.step(k2, l);
        secondRight[i] = right2.step(k2, r);
    }
    first.left_ = left1;
    first.right_ = right1;
    second.left_ = left2;
    second.right_ = right2;
}

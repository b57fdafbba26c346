#include "tests/audio/ReferenceLimiter.h"

#include <cmath>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDbBase = 1.1220184543019636;
constexpr double kClipKnee = 0.800000011920929;
constexpr double kClipFullScale = 3.0;
constexpr double kClipCeiling = 0.99993896484375;
constexpr double kWeights[16] = {1,
                                 0.9914865494,
                                 0.9662361145,
                                 0.9251085520,
                                 0.8695044518,
                                 0.8013172746,
                                 0.7228692174,
                                 0.6368314624,
                                 0.5461342335,
                                 0.4538657665,
                                 0.3631685674,
                                 0.2771307826,
                                 0.1986827403,
                                 0.1304955333,
                                 0.0748914704,
                                 0.0337638818};

double smoothing(double ms, int rate)
{
    const double samples = ms * rate * 0.001;
    return samples == 0 ? 0 : std::exp(-1.0 / samples);
}

// The knee's output level at full scale for shape h.
double kneeAtFullScale(double h)
{
    const double t = kClipKnee;
    return t * (h + 2 - (h + 1) * (h + 1) / (h + kClipFullScale / t));
}

double solveKnee()
{
    double low = -1, high = 1;
    while (kneeAtFullScale(high) <= 1)
    {
        low = high;
        high *= 2;
    }
    double h = (low + high) / 2;
    for (;;)
    {
        if (kneeAtFullScale(h) > 1)
            high = h;
        else
            low = h;
        if (std::fabs(low - high) < 0.01)
            return h;
        h = (low + high) / 2;
    }
}
} // namespace

float ReferenceLimiter::Biquad::run(float in)
{
    const double x = in;
    const float y = float(b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2);
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

double ReferenceLimiter::Limiter::step(double level)
{
    const double target = level <= threshold ? 1.0 : threshold / level;
    if (target < gain)
        gain = target * (1 - attack) + gain * attack;
    else
        gain = 1 / ((1 - release) / target + release / gain);
    return gain;
}

ReferenceLimiter::ReferenceLimiter(const ReferenceSettings& settings) : settings_(settings)
{
    const int rate = settings.sampleRate;
    auto lowPass = [rate](double setting)
    {
        const double nyquist = rate / 2.0;
        const double f0 = 6.8 / std::sqrt(1 / (setting * setting) + 50 / (nyquist * nyquist));
        const double w = kTwoPi * f0 / rate;
        const double c = std::cos(w);
        const double alpha = std::sin(w) / (2 * 0.15);
        const double a0 = 1 + alpha;
        return Biquad{(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0,
                      (1 - alpha) / a0};
    };
    lowLeft_ = lowRight_ = lowPass(settings.crossoverLow);
    highLeft_ = highRight_ = lowPass(settings.crossoverHigh);
    lowOn_ = double(settings.crossoverLow) > 10.1;
    highOn_ = settings.crossoverHigh < 19999.0f;

    const double offsets[3] = {7.5, 8, 9};
    const double attackScale[3] = {4.385964912280702, 1, 0.4385964912280702};
    const double releaseScale[3] = {1.160337552742616, 1, 0.7911392405063291};
    for (int band = 0; band < 3; ++band)
    {
        Limiter& limiter = limiters_[band];
        limiter.threshold = std::pow(kDbBase, double(settings.thresholdDb[band]) - offsets[band]);
        limiter.attack = smoothing(settings.attackMs * attackScale[band], rate);
        limiter.release = smoothing(settings.releaseMs * releaseScale[band], rate);
        limiter.makeUp = std::pow(kDbBase, double(settings.bandGainDb[band]));
    }
    limiterGain_ = std::pow(10.0, settings.limiterGainDb / 20.0);
    outputGain_ = std::pow(10.0, settings.outputGainDb / 20.0);
    clipRelease_ = smoothing(0.27210885286331177, rate);
    knee_ = solveKnee();
}

double ReferenceLimiter::ClipChannel::process(double x, int write, int read, double release,
                                              double h)
{
    sample[write] = x;
    const double e = std::fabs(x);
    excess[write] = e > kClipKnee ? e - kClipKnee : 0;
    flags = ((flags << 1) | (e > 1.0 ? 1u : 0u)) & 0xffff;
    double level = 0.8;
    if (flags != 0)
    {
        double largest = 0;
        for (int k = 0; k < 16; ++k)
            largest = std::fmax(largest, kWeights[k] * excess[(read + k) % 16]);
        level = 0.8 + largest;
    }
    double target;
    if (level <= kClipKnee)
        target = 1;
    else if (level < kClipFullScale)
        target = kClipKnee * (h + 2 - (h + 1) * (h + 1) / (h + level / kClipKnee)) / level;
    else
        target = 1 / level;
    if (target < gain)
        gain = target;
    else
        gain = 1 / (release / gain + (1 - release) / target);
    return gain * sample[read];
}

void ReferenceLimiter::process(const float* inLeft, const float* inRight, float* outLeft,
                               float* outRight, int frames)
{
    for (int i = 0; i < frames; ++i)
    {
        const float x[2] = {float(inLeft[i] * limiterGain_), float(inRight[i] * limiterGain_)};
        float mid[2] = {x[0], x[1]};
        float low[2] = {0, 0};
        if (highOn_)
        {
            mid[0] = highLeft_.run(x[0]);
            mid[1] = highRight_.run(x[1]);
        }
        if (lowOn_)
        {
            low[0] = lowLeft_.run(x[0]);
            low[1] = lowRight_.run(x[1]);
        }
        float bands[3][2];
        for (int c = 0; c < 2; ++c)
        {
            bands[2][c] = x[c] - mid[c];
            bands[1][c] = mid[c] - low[c];
            bands[0][c] = low[c];
        }
        double gains[3];
        for (int band = 0; band < 3; ++band)
            gains[band] = limiters_[band].step(
                std::fmax(std::fabs(bands[band][0]), std::fabs(bands[band][1])));
        if (settings_.sens)
        {
            const double k = gains[0] + 0.1 * (1 - gains[0]);
            gains[1] *= k;
            gains[2] *= k;
        }
        double sums[2];
        for (int c = 0; c < 2; ++c)
        {
            const double g0 = gains[0] * limiters_[0].makeUp;
            const double g1 = gains[1] * limiters_[1].makeUp;
            const double g2 = gains[2] * limiters_[2].makeUp;
            sums[c] = outputGain_ * (g0 * bands[0][c] + g1 * bands[1][c] + g2 * bands[2][c]);
        }
        clipWrite_ = (clipWrite_ + 1) % 16;
        const int read = (clipWrite_ + 1) % 16;
        double y[2];
        if (settings_.safeClip)
        {
            y[0] = processClip(clipLeft_, sums[0]);
            y[1] = processClip(clipRight_, sums[1]);
        }
        else
        {
            clipLeft_.sample[clipWrite_] = sums[0];
            clipRight_.sample[clipWrite_] = sums[1];
            y[0] = clipLeft_.sample[read];
            y[1] = clipRight_.sample[read];
        }
        outLeft[i] = float(y[0] * (settings_.safeClip ? kClipCeiling : 1.0));
        outRight[i] = float(y[1] * (settings_.safeClip ? kClipCeiling : 1.0));
    }
}

double ReferenceLimiter::processClip(ClipChannel& channel, double x)
{
    return channel.process(x, clipWrite_, (clipWrite_ + 1) % 16, clipRelease_, knee_);
}

#include "engine/IIR.h"

#include <cmath>

namespace
{

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSmallestQ = 0.00001;
constexpr double kSmallestNotchQ = 0.0001;
constexpr double kSmallestShelfTerm = 0.00001;

struct RawCoefficients
{
    double b0, b1, b2, a0, a1, a2;
};

bool usesGain(FilterType type)
{
    return type == FilterType::Peaking || type == FilterType::LowShelf ||
           type == FilterType::HighShelf;
}

// The shelf term r = s * sqrt((A^2 + 1)/S - (A - 1)^2), with its guard.
double shelfTerm(double s, double amplitude, double slope)
{
    double q = (amplitude * amplitude + 1.0) / slope - (amplitude - 1.0) * (amplitude - 1.0);
    if (q <= 0.0)
    {
        q = kSmallestShelfTerm;
    }
    return s * std::sqrt(q);
}

bool rawCoefficients(const FilterDesign& d, RawCoefficients& r)
{
    const double w = kTwoPi * d.frequency / d.sampleRate;
    const double c = std::cos(w);
    const double s = std::sin(w);
    const double q = d.q <= 0.0 ? kSmallestQ : d.q;
    const double alpha = s / (2.0 * q);
    const double amplitude = std::pow(10.0, d.gain / 40.0);

    switch (d.type)
    {
    case FilterType::LowPass:
        r = {(1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
        return true;
    case FilterType::HighPass:
        r = {(1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
        return true;
    case FilterType::BandPass:
        r = {alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
        return true;
    case FilterType::BandPassPeakGainQ:
        r = {q * alpha, 0.0, -q * alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha};
        return true;
    case FilterType::Peaking:
        r = {1.0 + alpha * amplitude, -2.0 * c, 1.0 - alpha * amplitude,
             1.0 + alpha / amplitude, -2.0 * c, 1.0 - alpha / amplitude};
        return true;
    case FilterType::Notch:
    {
        // Only a Q of exactly 0 is replaced here, and by a different value.
        const double notchAlpha = s / (2.0 * (d.q == 0.0 ? kSmallestNotchQ : d.q));
        r = {1.0, -2.0 * c, 1.0, 1.0 + notchAlpha, -2.0 * c, 1.0 - notchAlpha};
        return true;
    }
    case FilterType::LowShelf:
    {
        const double a = amplitude;
        const double t = shelfTerm(s, a, d.q);
        r = {a * ((a + 1.0) - (a - 1.0) * c + t), 2.0 * a * ((a - 1.0) - (a + 1.0) * c),
             a * ((a + 1.0) - (a - 1.0) * c - t), (a + 1.0) + (a - 1.0) * c + t,
             -2.0 * ((a - 1.0) + (a + 1.0) * c),  (a + 1.0) + (a - 1.0) * c - t};
        return true;
    }
    case FilterType::HighShelf:
    {
        const double a = amplitude;
        const double t = shelfTerm(s, a, d.q);
        r = {a * ((a + 1.0) + (a - 1.0) * c + t), -2.0 * a * ((a - 1.0) + (a + 1.0) * c),
             a * ((a + 1.0) + (a - 1.0) * c - t), (a + 1.0) - (a - 1.0) * c + t,
             2.0 * ((a - 1.0) - (a + 1.0) * c),   (a + 1.0) - (a - 1.0) * c - t};
        return true;
    }
    }
    return false;
}

} // namespace

BiquadCoefficients designCoefficients(const FilterDesign& design)
{
    RawCoefficients r{};
    if (!rawCoefficients(design, r))
    {
        return {};
    }
    const BiquadCoefficients k{r.b0 / r.a0, r.b1 / r.a0, r.b2 / r.a0, r.a1 / r.a0, r.a2 / r.a0};
    const bool finite = std::isfinite(k.b0) && std::isfinite(k.b1) && std::isfinite(k.b2) &&
                        std::isfinite(k.a1) && std::isfinite(k.a2);
    return finite ? k : BiquadCoefficients{};
}

CIIR::CIIR()
    : settings_(Settings{FilterDesign{}, designCoefficients(FilterDesign{})}),
      active_{FilterDesign{}, designCoefficients(FilterDesign{})}
{
}

template <typename Edit> void CIIR::redesign(Edit&& edit)
{
    settings_.modify(
        [&edit](Settings& s)
        {
            edit(s.design);
            s.coefficients = designCoefficients(s.design);
        });
}

void CIIR::design(double frequency, double q, double gain, FilterType type)
{
    redesign(
        [=](FilterDesign& d)
        {
            d.type = type;
            d.frequency = frequency;
            d.q = q;
            if (usesGain(type))
            {
                d.gain = gain;
            }
        });
    clear();
}

void CIIR::lowPass(double frequency, double q)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::LowPass, frequency, d.gain, q};
        });
}

void CIIR::highPass(double frequency, double q)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::HighPass, frequency, d.gain, q};
        });
}

void CIIR::bandPass(double frequency, double q)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::BandPass, frequency, d.gain, q};
        });
}

void CIIR::bandPassPeakGainQ(double frequency, double q)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::BandPassPeakGainQ, frequency, d.gain, q};
        });
}

void CIIR::peaking(double frequency, double q, double gainDb)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::Peaking, frequency, gainDb, q};
        });
}

void CIIR::notch(double frequency, double q)
{
    redesign([=](FilterDesign& d) { d = {d.sampleRate, FilterType::Notch, frequency, d.gain, q}; });
}

void CIIR::lowShelf(double frequency, double slope, double gainDb)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::LowShelf, frequency, gainDb, slope};
        });
}

void CIIR::highShelf(double frequency, double slope, double gainDb)
{
    redesign(
        [=](FilterDesign& d) {
            d = {d.sampleRate, FilterType::HighShelf, frequency, gainDb, slope};
        });
}

void CIIR::setSampleRate(double rate)
{
    if (!(rate > 0.0) || !std::isfinite(rate))
    {
        return;
    }
    redesign([rate](FilterDesign& d) { d.sampleRate = rate; });
    clear();
}

void CIIR::clear()
{
    history_ = {};
}

void CIIR::process(const float* in, float* out, int n)
{
    if (n <= 0 || in == nullptr || out == nullptr)
    {
        return;
    }
    settings_.pull(active_);
    const BiquadCoefficients k = active_.coefficients;
    BiquadHistory h = history_;
    for (int i = 0; i < n; ++i)
    {
        out[i] = h.step(k, in[i]);
    }
    history_ = h;
}

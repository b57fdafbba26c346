#include "analysis/InterSamplePeakMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr int kFactor = 16;
constexpr int kHalf = 64;

struct Stereo
{
    std::string name;
    std::vector<float> left;
    std::vector<float> right;
};

// Feeds the meter, used before, in blocks of random lengths, as a host's buffers come.
double meterPeak(CInterSamplePeakMeter& meter, const Stereo& signal, std::mt19937& random)
{
    meter.reset();
    std::uniform_int_distribution<int> blockLength(1, 3000);
    const int n = static_cast<int>(signal.left.size());
    for (int at = 0; at < n;)
    {
        const int block = std::min(blockLength(random), n - at);
        meter.add(signal.left.data() + at, signal.right.data() + at, block);
        at += block;
    }
    meter.finish();
    return meter.peak();
}

// The measure itself, every point of the 16x grid of the zero-padded signal in double
// precision: sinc(t) times a Kaiser window (beta 8) of half-width 64, each phase scaled to unit
// gain at DC.
class BruteForce
{
  public:
    BruteForce()
    {
        for (int p = 1; p < kFactor; ++p)
        {
            double sum = 0.0;
            for (int k = 0; k < 2 * kHalf; ++k)
            {
                const double t = double(p) / kFactor - (k - kHalf + 1);
                const double r = t / kHalf;
                taps_[p][k] = std::sin(kPi * t) / (kPi * t) *
                              std::cyl_bessel_i(0.0, 8.0 * std::sqrt(1.0 - r * r));
                sum += taps_[p][k];
            }
            for (double& tap : taps_[p])
            {
                tap /= sum;
            }
        }
    }

    double peak(const std::vector<float>& samples) const
    {
        std::vector<double> x(samples.size() + 4 * kHalf, 0.0);
        std::copy(samples.begin(), samples.end(), x.begin() + 2 * kHalf);
        double largest = 0.0;
        for (size_t i = 0; i + 2 * kHalf <= x.size(); ++i)
        {
            largest = std::max(largest, std::fabs(x[i + kHalf - 1]));
            for (int p = 1; p < kFactor; ++p)
            {
                double sum = 0.0;
                for (int k = 0; k < 2 * kHalf; ++k)
                {
                    sum += x[i + k] * taps_[p][k];
                }
                largest = std::max(largest, std::fabs(sum));
            }
        }
        return largest;
    }

  private:
    double taps_[kFactor][2 * kHalf];
};

// Signals whose largest grid value the screening could miss: near half the rate, patterns
// whose peak between samples is far above the samples, and such peaks hidden after louder
// samples or where a short interpolation reads nothing.
std::vector<Stereo> testSignals()
{
    std::mt19937 random(20);
    std::normal_distribution<float> gauss(0.0f, 0.3f);
    const int n = 6000;
    std::vector<Stereo> signals;
    auto add = [&](std::string name, auto&& leftAt, auto&& rightAt)
    {
        Stereo s{std::move(name), std::vector<float>(n), std::vector<float>(n)};
        for (int i = 0; i < n; ++i)
        {
            s.left[i] = static_cast<float>(leftAt(i));
            s.right[i] = static_cast<float>(rightAt(i));
        }
        signals.push_back(std::move(s));
    };
    auto noise = [&](int) { return gauss(random); };
    auto clipped = [&](int) { return std::clamp(4.0f * gauss(random), -1.0f, 1.0f); };
    // The sign of the sinc's lobes around the point `at` + 5/16: every sample adds to it.
    auto worstCase = [](int i, int at, int skip)
    {
        const double t = at + 5.0 / 16.0 - i;
        return std::abs(t) < skip || std::abs(t) > kHalf ? 0.0 : std::sin(kPi * t) > 0 ? 1 : -1;
    };
    // A tone at 0.44 of the rate in a bell around its largest crest, which falls `phase`/16 after
    // a sample, after a louder-than-most lead-in: the crest is the only point that reads 1.
    auto crest = [](int i, int phase)
    {
        constexpr int kAt = 3000;
        if (i < kAt - 500)
        {
            return 0.97 * std::sin(0.01 * i);
        }
        const double t = i - kAt - phase / 16.0;
        return std::exp(-t * t / 2000.0) * std::cos(0.88 * kPi * t);
    };
    auto silence = [](int) { return 0.0; };
    add(
        "a lone crest on a quarter", [&](int i) { return crest(i, 4); }, silence);
    add("a lone crest between quarters", silence, [&](int i) { return crest(i, 2); });
    add("noise", noise, noise);
    add("clipped noise", clipped, clipped);
    add(
        "worst case after a loud square",
        [&](int i) { return i < 2000 ? (i / 7 % 2 ? 1.0 : -1.0) : worstCase(i, 4000, 0); },
        [](int) { return 0.0; });
    add(
        "tails only", [&](int i) { return i < 1000 ? 1.0 : worstCase(i, 3000, 9); },
        [&](int i) { return i < 3000 ? 0.0 : worstCase(i, 4500, 0) * 0.9; });
    add(
        "near half the rate", [](int i) { return 0.8 * std::cos(0.97 * kPi * (i - 0.4)); },
        [](int i) { return 0.8 * std::sin(0.49 * kPi * i); });
    add(
        "impulses and a step", [](int i) { return i % 1500 == 0 ? (i % 3000 ? 1.0 : -1.0) : 0.0; },
        [](int i) { return i < n / 2 ? 0.0 : -1.0; });
    return signals;
}
} // namespace

TEST(InterSamplePeakMeter, ReadsTheAmplitudeOfASineWhosePeakFallsBetweenSamples)
{
    constexpr int kRate = 44100;
    constexpr double kAmplitude = 0.7;
    std::mt19937 random(1);
    CInterSamplePeakMeter meter;
    for (double frequency : {997.0, 11025.0, 14700.0, 19000.0, 20000.0})
    {
        for (int phase : {1, 5, 8, 13})
        {
            // A slow fade in and out keeps the sine's spectrum narrow: no ringing at the ends.
            const int n = 16384;
            const int fade = 4000;
            const double peakAt = n / 2 + double(phase) / kFactor;
            Stereo sine{"", std::vector<float>(n), std::vector<float>(n, 0.0f)};
            for (int i = 0; i < n; ++i)
            {
                const double envelope = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
                const double shape = 0.5 - 0.5 * std::cos(kPi * envelope);
                sine.left[i] = static_cast<float>(
                    kAmplitude * shape * std::cos(2.0 * kPi * frequency / kRate * (i - peakAt)));
            }
            const double readDb = 20.0 * std::log10(meterPeak(meter, sine, random) / kAmplitude);
            EXPECT_NEAR(readDb, 0.0, 0.01) << frequency << " Hz, phase " << phase << "/16";
        }
    }
}

// The screening may skip only what cannot hold the largest value: the reading equals the
// whole grid's, within float rounding over 128 taps.
TEST(InterSamplePeakMeter, ReadsWhatEveryPointOfTheGridReads)
{
    const BruteForce bruteForce;
    std::mt19937 random(3);
    CInterSamplePeakMeter meter;
    for (const Stereo& signal : testSignals())
    {
        const double expected =
            std::max(bruteForce.peak(signal.left), bruteForce.peak(signal.right));
        EXPECT_NEAR(meterPeak(meter, signal, random), expected, 2e-6 * expected) << signal.name;
    }
    CInterSamplePeakMeter silent;
    silent.finish();
    EXPECT_EQ(silent.peakDb(), -INFINITY);
}

#include "engine/TruePeakLimiter.h"

#include "analysis/InterSamplePeakMeter.h"

#include "tests/engine/SignalHelpers.h"
#include "tests/engine/StressSignals.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kRates[] = {44100, 48000, 88200, 96000, 176400, 192000};
// The finer measure may exceed the ceiling by this much.
constexpr double kFineToleranceDb = 0.1;

// ------------------------------------------------------------------------------- measures

// The true peak of both channels in dBTP as libebur128 measures it.
double meterTruePeakDb(const Stereo& signal, int rate)
{
    ebur128_state* state = ebur128_init(2, static_cast<unsigned>(rate), EBUR128_MODE_TRUE_PEAK);
    std::vector<float> interleaved;
    for (size_t i = 0; i < signal.left.size(); ++i)
    {
        interleaved.push_back(signal.left[i]);
        interleaved.push_back(signal.right[i]);
    }
    ebur128_add_frames_float(state, interleaved.data(), signal.left.size());
    double left = 0.0;
    double right = 0.0;
    ebur128_true_peak(state, 0, &left);
    ebur128_true_peak(state, 1, &right);
    ebur128_destroy(&state);
    return decibels(std::max(left, right));
}

// The true peak by a 16x band-limited interpolation, reaching much further between the samples
// than the 4x meters of BS.1770.
double fineTruePeakDb(const Stereo& signal)
{
    CInterSamplePeakMeter meter;
    meter.add(signal.left.data(), signal.right.data(), static_cast<int>(signal.left.size()));
    meter.finish();
    return meter.peakDb();
}

// The true peak of both channels in dBTP as ffmpeg's ebur128 filter measures it, away from the
// ends of a file: it resamples to 192 kHz with a Kaiser-windowed sinc (beta 9) over 16 samples to
// either side of each point, each phase scaled to unit gain at DC, and takes the largest
// magnitude. At 192 kHz and above that is the sample peak.
double ffmpegTruePeakDb(const Stereo& signal, int rate)
{
    constexpr int kMeterRate = 192000;
    constexpr int kHalf = 16;
    std::map<int, std::array<double, 2 * kHalf>> phases; // by (point * rate) % kMeterRate
    auto taps = [&](int key)
    {
        auto [at, added] = phases.try_emplace(key);
        if (added)
        {
            const double fraction = double(key) / kMeterRate;
            double sum = 0.0;
            for (int i = 0; i < 2 * kHalf; ++i)
            {
                const double t = i - (kHalf - 1) - fraction;
                const double r = t / kHalf;
                at->second[i] = (t == 0.0 ? 1.0 : std::sin(kPi * t) / (kPi * t)) *
                                std::cyl_bessel_i(0.0, 9.0 * std::sqrt(std::max(0.0, 1.0 - r * r)));
                sum += at->second[i];
            }
            for (double& tap : at->second)
            {
                tap /= sum;
            }
        }
        return at->second;
    };
    const long long n = static_cast<long long>(signal.left.size());
    double largest = 0.0;
    for (long long point = 0; rate < kMeterRate && point * rate < n * kMeterRate; ++point)
    {
        const long long from = point * rate / kMeterRate - (kHalf - 1);
        const auto& weights = taps(static_cast<int>(point * rate % kMeterRate));
        for (const std::vector<float>* channel : {&signal.left, &signal.right})
        {
            double sum = 0.0;
            for (int i = 0; i < 2 * kHalf; ++i)
            {
                if (from + i >= 0 && from + i < n)
                {
                    sum += weights[i] * (*channel)[from + i];
                }
            }
            largest = std::max(largest, std::fabs(sum));
        }
    }
    for (size_t i = 0; i < signal.left.size(); ++i)
    {
        largest = std::max(
            {largest, double(std::fabs(signal.left[i])), double(std::fabs(signal.right[i]))});
    }
    return decibels(largest);
}

// ------------------------------------------------------------------------------- running

// The limiter's whole output for the signal followed by latency frames of silence, processed in
// blocks of the sizes given in turn.
Stereo limit(CTruePeakLimiter& limiter, const Stereo& in, const std::vector<int>& blocks = {512})
{
    Stereo padded = in;
    padded.left.resize(in.left.size() + limiter.latencyFrames(), 0.0f);
    padded.right.resize(in.right.size() + limiter.latencyFrames(), 0.0f);
    Stereo out = padded;
    const int n = static_cast<int>(padded.left.size());
    for (int offset = 0, b = 0; offset < n; b = (b + 1) % int(blocks.size()))
    {
        const int frames = std::min(blocks[b], n - offset);
        limiter.process(padded.left.data() + offset, padded.right.data() + offset,
                        out.left.data() + offset, out.right.data() + offset, frames);
        offset += frames;
    }
    return out;
}

// The gain applied to each output frame, read off a signal without zero samples.
std::vector<double> gainsOf(const Stereo& in, const Stereo& out, int latency)
{
    std::vector<double> gains;
    for (size_t i = latency; i < out.left.size(); ++i)
    {
        gains.push_back(out.left[i] / double(in.left[i - latency]));
    }
    return gains;
}

Stereo constant(float level, int n)
{
    return {std::vector<float>(n, level), std::vector<float>(n, level)};
}

Stereo joined(Stereo a, const Stereo& b)
{
    a.left.insert(a.left.end(), b.left.begin(), b.left.end());
    a.right.insert(a.right.end(), b.right.begin(), b.right.end());
    return a;
}

} // namespace

// ------------------------------------------------------------------------------- detector

TEST(TruePeakDetector, FindsEveryCrestOfASineBetweenItsSamples)
{
    constexpr double kAmplitude = 0.5;
    for (int rate : {44100, 96000, 192000})
    {
        CTruePeakDetector detector(rate);
        for (double frequency : {997.0, 5000.0, 11025.0, 15000.0, 20000.0})
        {
            const Stereo s = tone(rate, frequency, kAmplitude, 0.4, rate / 20);
            std::vector<double> peaks(s.left.size());
            detector.reset();
            detector.detect(s.left.data(), s.right.data(), int(s.left.size()), peaks.data());
            // Every stretch of one period past the onset, whose ringing the interpolator sees
            // too, has a crest: its largest report is the amplitude, as the interpolator and the
            // fit are within 0.05 dB of it up to 20 kHz at 44.1 kHz; or up to 0.11 dB more,
            // where libebur128's interpolator reads that much high.
            const int period = static_cast<int>(std::ceil(rate / frequency));
            for (size_t i = rate / 100; i + period < peaks.size(); i += period / 2 + 1)
            {
                const double crest = decibels(
                    *std::max_element(peaks.begin() + i, peaks.begin() + i + period) / kAmplitude);
                ASSERT_GT(crest, -0.05) << rate << " Hz, " << frequency << " Hz, frame " << i;
                ASSERT_LT(crest, 0.12) << rate << " Hz, " << frequency << " Hz, frame " << i;
            }
        }
    }
}

// ------------------------------------------------------------------------------- the promise

// By the 16x measure the ceiling may be exceeded by the tolerance; BS.1770's meters, libebur128
// and ffmpeg's, read at or below it.
TEST(TruePeakLimiter, HoldsTheTruePeakOfStressSignalsBelowTheCeilingByEveryMeter)
{
    for (int rate : kRates)
    {
        for (const Stress& stress : stressSignals(rate))
        {
            for (double ceiling : {-1.0, 0.0})
            {
                CTruePeakLimiter limiter(rate);
                limiter.setCeiling(ceiling);
                const Stereo out = limit(limiter, stress.signal);
                EXPECT_LE(meterTruePeakDb(out, rate), ceiling)
                    << rate << " Hz, " << stress.name << ", ceiling " << ceiling;
                EXPECT_LE(fineTruePeakDb(out), ceiling + kFineToleranceDb)
                    << rate << " Hz, " << stress.name << ", ceiling " << ceiling;
                EXPECT_LE(ffmpegTruePeakDb(out, rate), ceiling)
                    << rate << " Hz, " << stress.name << ", ceiling " << ceiling;
            }
        }
    }
}

TEST(TruePeakLimiter, TakesCeilingsInTenthsOfADecibelFromMinus6To0)
{
    CTruePeakLimiter limiter(48000);
    EXPECT_EQ(limiter.ceiling(), -1.0);
    limiter.setCeiling(-0.96);
    EXPECT_DOUBLE_EQ(limiter.ceiling(), -1.0);
    limiter.setCeiling(0.4);
    EXPECT_EQ(limiter.ceiling(), 0.0);
    limiter.setCeiling(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(limiter.ceiling(), 0.0);
    limiter.setCeiling(-9.0);
    EXPECT_EQ(limiter.ceiling(), -6.0);

    const Stereo out = limit(limiter, clippedNoise(48000));
    EXPECT_LE(meterTruePeakDb(out, 48000), -6.0);
    EXPECT_LE(fineTruePeakDb(out), -6.0 + kFineToleranceDb);
}

// ------------------------------------------------------------------------------- transparency

TEST(TruePeakLimiter, PassesASignalBelowTheCeilingThroughBitForBitAfterTheLatency)
{
    for (int rate : kRates)
    {
        CTruePeakLimiter limiter(rate);
        const int latency = limiter.latencyFrames();
        const Stereo in = {noise(rate / 2, 0.35f, 1), noise(rate / 2, 0.35f, 2)};
        ASSERT_LT(meterTruePeakDb(in, rate), -2.0);
        const Stereo out = limit(limiter, in);
        for (size_t i = 0; i < out.left.size(); ++i)
        {
            const float left = i < size_t(latency) ? 0.0f : in.left[i - latency];
            const float right = i < size_t(latency) ? 0.0f : in.right[i - latency];
            ASSERT_EQ(out.left[i], left) << rate << " Hz, frame " << i;
            ASSERT_EQ(out.right[i], right) << rate << " Hz, frame " << i;
        }
        EXPECT_EQ(limiter.lowestGainOfLastBlock(), 1.0);
    }
}

TEST(TruePeakLimiter, ReturnsToBitExactPassThroughAfterLimiting)
{
    CTruePeakLimiter limiter(44100);
    const Stereo quiet = {noise(66150, 0.3f, 3), noise(66150, 0.3f, 4)};
    const Stereo in = joined(clippedNoise(44100), quiet);
    const Stereo out = limit(limiter, in);
    const int latency = limiter.latencyFrames();
    // The release of 50 ms ends within a second, 20 release times.
    const size_t quietFrom = in.left.size() - quiet.left.size() + 44100;
    for (size_t i = quietFrom; i < in.left.size(); ++i)
    {
        ASSERT_EQ(out.left[i + latency], in.left[i]) << i;
        ASSERT_EQ(out.right[i + latency], in.right[i]) << i;
    }
    EXPECT_EQ(limiter.lowestGainOfLastBlock(), 1.0);
}

// ------------------------------------------------------------------------------- the gain

TEST(TruePeakLimiter, GivesBothChannelsOneGain)
{
    CTruePeakLimiter limiter(48000);
    const Stereo loudLeft = {clippedNoise(48000).left, noise(48000 / 4, 0.1f, 9)};
    const Stereo out = limit(limiter, loudLeft);
    const int latency = limiter.latencyFrames();
    int compared = 0;
    for (size_t i = latency; i < out.left.size(); ++i)
    {
        const float left = loudLeft.left[i - latency];
        const float right = loudLeft.right[i - latency];
        if (std::fabs(left) > 0.1f && std::fabs(right) > 0.01f)
        {
            // Both are float roundings of one gain times the sample: 6e-8 apart at most each.
            ASSERT_NEAR(out.right[i] / right, out.left[i] / left, 1e-6) << i;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_LT(limiter.lowestGainOfLastBlock(), 1.0);
}

TEST(TruePeakLimiter, FallsSmoothlyOverTheLookAhead)
{
    // A step to 6 dB above the ceiling.
    constexpr int kRate = 44100;
    const Stereo in = joined(constant(0.25f, 2000), constant(1.78f, 2000));
    CTruePeakLimiter limiter(kRate);
    const int latency = limiter.latencyFrames();
    const std::vector<double> gains = gainsOf(in, limit(limiter, in), latency);

    const double deepest = *std::min_element(gains.begin(), gains.end());
    EXPECT_LT(deepest, 0.5);
    double largestStep = 0.0;
    for (size_t i = 1; i < gains.size(); ++i)
    {
        largestStep = std::max(largestStep, std::fabs(gains[i] - gains[i - 1]));
    }
    // The fall spans about 50 frames at 44.1 kHz; a step would take it in one.
    EXPECT_LT(largestStep, (1.0 - deepest) / 20.0);
    EXPECT_EQ(gains[2000 - latency], 1.0) << "limited more than the look-ahead early";
}

TEST(TruePeakLimiter, HoldsTheGainWhileAPeakPasses)
{
    // An impulse on a quiet level: the frames whose interpolation reaches the peak (as far as
    // ffmpeg's meter reaches, 16 frames) all get its gain, even with the shortest release.
    constexpr int kRate = 44100;
    constexpr int kPeak = 2000;
    constexpr int kReach = 16;
    Stereo in = constant(0.25f, 4000);
    in.left[kPeak] = 1.78f;
    CTruePeakLimiter limiter(kRate);
    limiter.setRelease(1.0);
    const std::vector<double> gains = gainsOf(in, limit(limiter, in), limiter.latencyFrames());
    // Read off the quiet level's frames, whose roundings are alike.
    const double held = gains[kPeak - kReach];
    EXPECT_LT(held, 0.6);
    EXPECT_EQ(held, *std::min_element(gains.begin(), gains.begin() + kPeak));
    for (int i = kPeak - kReach; i <= kPeak + kReach; ++i)
    {
        if (i != kPeak)
        {
            EXPECT_EQ(gains[i], held) << i - kPeak;
        }
    }
}

TEST(TruePeakLimiter, ReleasesWithTheSetTime)
{
    constexpr int kRate = 48000;
    const Stereo in = joined(constant(1.5f, 1000), constant(0.25f, kRate / 2));
    for (double releaseMs : {10.0, 50.0, 200.0})
    {
        CTruePeakLimiter limiter(kRate);
        limiter.setRelease(releaseMs);
        const std::vector<double> gains = gainsOf(in, limit(limiter, in), limiter.latencyFrames());
        // Well after the hold, the reduction falls by e each release time.
        const int start = 1000 + 200;
        const int later = start + static_cast<int>(releaseMs * kRate / 1000.0);
        const double ratio = (1.0 - gains[later]) / (1.0 - gains[start]);
        EXPECT_NEAR(ratio, std::exp(-1.0), 0.01) << releaseMs << " ms";
    }
}

// ------------------------------------------------------------------------------- robustness

TEST(TruePeakLimiter, ProcessesAnyBlockSizeAlike)
{
    const Stereo in = clippedNoise(44100);
    CTruePeakLimiter reference(44100);
    const Stereo expected = limit(reference, in, {4096});
    std::mt19937 generator(3);
    std::uniform_int_distribution<int> size(1, 700);
    std::vector<int> randomSizes(64);
    for (int& s : randomSizes)
    {
        s = size(generator);
    }
    for (const std::vector<int>& blocks : {std::vector<int>{1}, {7}, {512}, randomSizes})
    {
        CTruePeakLimiter limiter(44100);
        const Stereo out = limit(limiter, in, blocks);
        EXPECT_EQ(out.left, expected.left) << "first block size " << blocks[0];
        EXPECT_EQ(out.right, expected.right) << "first block size " << blocks[0];
    }
}

TEST(TruePeakLimiter, TakesNonFiniteSamplesAsSilenceAndSilencesHugeOnes)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    constexpr float kHuge = std::numeric_limits<float>::max();
    for (int rate : {32000, 44100, 48000, 96000})
    {
        Stereo in = {noise(4000, 0.5f, 5), noise(4000, 0.5f, 6)};
        in.left[1000] = kNaN;
        in.right[2000] = -kInfinity;
        in.left[3000] = kHuge;
        in.right[3500] = -1e12f;
        CTruePeakLimiter limiter(rate);
        const Stereo out = limit(limiter, in);
        const int latency = limiter.latencyFrames();
        for (size_t i = 0; i < out.left.size(); ++i)
        {
            ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << i;
        }
        EXPECT_EQ(out.left[1000 + latency], 0.0f) << rate << " Hz";
        EXPECT_EQ(out.right[2000 + latency], 0.0f) << rate << " Hz";
        EXPECT_EQ(out.left[3000 + latency], 0.0f) << rate << " Hz";
        EXPECT_EQ(out.right[3500 + latency], 0.0f) << rate << " Hz";
        // Silence in place of the non-finite samples, nothing limited around them.
        EXPECT_EQ(out.left[999 + latency], in.left[999]) << rate << " Hz";
        EXPECT_EQ(out.right[2001 + latency], in.right[2001]) << rate << " Hz";
        EXPECT_LE(meterTruePeakDb(out, rate), -1.0) << rate << " Hz";
    }
}

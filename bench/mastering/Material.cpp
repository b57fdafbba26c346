#include "bench/mastering/Material.h"

#include <ebur128.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>

namespace
{
constexpr double kTwoPi = 2.0 * std::numbers::pi;

struct Stereo
{
    double left;
    double right;
};

// One voice of a mix: its sample at time t (seconds) and frame n.
using Voice = std::function<Stereo(double t, long n)>;

class Noise
{
  public:
    explicit Noise(unsigned seed) : generator_(seed) {}
    double operator()() { return uniform_(generator_); }

  private:
    std::mt19937 generator_;
    std::uniform_real_distribution<double> uniform_{-1.0, 1.0};
};

double decay(double t, double rate)
{
    return t < 0.0 ? 0.0 : std::exp(-rate * t);
}

// Kick on every beat, snare on two and four, hats on every eighth, at 120 beats a minute.
Voice drums(double level, unsigned seed)
{
    auto noise = std::make_shared<Noise>(seed);
    auto lastHat = std::make_shared<double>(0.0);
    return [=](double t, long) -> Stereo
    {
        const double beat = std::fmod(t, 0.5);
        const double bar = std::fmod(t, 2.0);
        const double sweep = 45.0 * beat + 75.0 / 30.0 * (1.0 - std::exp(-30.0 * beat));
        const double kick = decay(beat, 9.0) * std::sin(kTwoPi * sweep);
        const double snareTime = std::fmod(bar, 1.0) - 0.5;
        const double snare = decay(snareTime, 22.0) *
                             (0.6 * (*noise)() + 0.4 * std::sin(kTwoPi * 190.0 * snareTime));
        const double white = (*noise)();
        const double hat = decay(std::fmod(t, 0.25), 60.0) * (white - *lastHat);
        *lastHat = white;
        const double mono = level * (kick + 0.7 * snare);
        return {mono + 0.2 * level * hat, mono - 0.15 * level * hat};
    };
}

// A slow chord of three notes with four harmonics each over a bass, fading in and out.
Voice tones(double level, double swellSeconds)
{
    return [=](double t, long) -> Stereo
    {
        static constexpr double kNotes[] = {220.0, 277.2, 329.6};
        double left = 0.0, right = 0.0;
        for (int note = 0; note < 3; ++note)
            for (int harmonic = 1; harmonic <= 4; ++harmonic)
            {
                const double wave =
                    std::sin(kTwoPi * kNotes[note] * harmonic * t + note) / harmonic;
                (note == 1 ? right : left) += wave;
                (note == 2 ? left : right) += 0.5 * wave;
            }
        const double swell = 0.6 + 0.4 * std::sin(kTwoPi * t / swellSeconds);
        const double bass = std::sin(kTwoPi * 55.0 * t) + 0.3 * std::sin(kTwoPi * 110.0 * t);
        return {level * (0.15 * swell * left + 0.5 * bass),
                level * (0.15 * swell * right + 0.5 * bass)};
    };
}

// Bursts of low-passed noise, 0.2 to 1 s long, swelling and fading.
Voice noiseBursts(double level, unsigned seed, int sampleRate)
{
    auto noise = std::make_shared<Noise>(seed);
    auto state = std::make_shared<Stereo>(Stereo{0.0, 0.0});
    const double smoothing = std::exp(-kTwoPi * 3000.0 / sampleRate);
    return [=](double t, long) -> Stereo
    {
        const double cycle = std::fmod(t, 1.7);
        const double length = 0.2 + 0.8 * (0.5 + 0.5 * std::sin(t));
        const double envelope = cycle < length ? std::sin(std::numbers::pi * cycle / length) : 0.0;
        state->left = smoothing * state->left + (1.0 - smoothing) * (*noise)();
        state->right = smoothing * state->right + (1.0 - smoothing) * (*noise)();
        return {level * envelope * state->left * 4.0, level * envelope * state->right * 4.0};
    };
}

// A voice: a glottal pulse train of gliding pitch through three formant resonators whose
// vowel changes every 150 ms, in syllables of about 4 Hz, with pauses.
Voice speech(double level, int sampleRate)
{
    struct Resonator
    {
        double y1 = 0.0, y2 = 0.0;
        double step(double x, double frequency, double bandwidth, int rate)
        {
            const double r = std::exp(-std::numbers::pi * bandwidth / rate);
            const double y = x + 2.0 * r * std::cos(kTwoPi * frequency / rate) * y1 - r * r * y2;
            y2 = y1;
            y1 = y;
            return y * (1.0 - r);
        }
    };
    static constexpr double kVowels[][3] = {{730, 1090, 2440},
                                            {270, 2290, 3010},
                                            {530, 1840, 2480},
                                            {570, 840, 2410},
                                            {300, 870, 2240}};
    auto resonators = std::make_shared<std::array<Resonator, 3>>();
    auto phase = std::make_shared<double>(0.0);
    return [=](double t, long) -> Stereo
    {
        const double pitch = 120.0 + 40.0 * std::sin(kTwoPi * 0.7 * t) + 15.0 * std::sin(5.0 * t);
        *phase += pitch / sampleRate;
        const double pulse = *phase >= 1.0 ? 1.0 : 0.0;
        *phase -= std::floor(*phase);
        const auto& vowel = kVowels[long(t / 0.15) % 5];
        double voiced = 0.0;
        for (int f = 0; f < 3; ++f)
            voiced +=
                (*resonators)[f].step(pulse, vowel[f], 80.0 + 40.0 * f, sampleRate) / (1.0 + f);
        const double syllable = std::max(0.0, std::sin(kTwoPi * 4.1 * t));
        const bool pause = std::fmod(t, 4.0) > 3.3;
        const double mono = pause ? 0.0 : level * 20.0 * syllable * voiced;
        return {mono, mono};
    };
}

// Traps for a true-peak ceiling: 12 ms stabs of a tone at a quarter of the rate whose
// samples fall 45 degrees off its peaks, and bursts of +a, +a, -a, -a, which peak 3 dB
// above their samples between them.
Voice interSamplePeakTraps(double level)
{
    return [=](double t, long n) -> Stereo
    {
        const double stab = std::fmod(t, 0.75) < 0.012 ? 1.0 : 0.0;
        const double quarterTone =
            std::sin(std::numbers::pi / 2 * double(n) + std::numbers::pi / 4);
        const double pattern = (n / 2) % 2 == 0 ? 1.0 : -1.0;
        const double burst = std::fmod(t + 0.3, 1.5) < 0.004 ? pattern : 0.0;
        return {level * (stab * quarterTone + burst), level * (stab * quarterTone - burst)};
    };
}

// Sections that alternate a quiet verse with a loud chorus, every eight seconds.
Voice sections(Voice quiet, Voice loud)
{
    return [=](double t, long n) -> Stereo
    {
        const Stereo q = quiet(t, n);
        const Stereo l = loud(t, n);
        return std::fmod(t, 16.0) < 8.0 ? q : Stereo{q.left + l.left, q.right + l.right};
    };
}

Voice mixOf(std::vector<Voice> voices)
{
    return [=](double t, long n) -> Stereo
    {
        Stereo sum{0.0, 0.0};
        for (const Voice& voice : voices)
        {
            const Stereo s = voice(t, n);
            sum.left += s.left;
            sum.right += s.right;
        }
        return sum;
    };
}

// A bus compressor's end result: peaks rounded off as a loud master has them.
Voice saturatedBy(Voice voice, double drive)
{
    return [=](double t, long n) -> Stereo
    {
        const Stereo s = voice(t, n);
        return {std::tanh(drive * s.left) / drive, std::tanh(drive * s.right) / drive};
    };
}

BenchMix rendered(const std::string& name, int sampleRate, double seconds, double lufs,
                  const Voice& voice)
{
    BenchMix mix{name, sampleRate, {}, {}};
    const long frames = long(seconds * sampleRate);
    for (long n = 0; n < frames; ++n)
    {
        const Stereo s = voice(double(n) / sampleRate, n);
        mix.left.push_back(float(s.left));
        mix.right.push_back(float(s.right));
    }
    const float gain = float(std::pow(10.0, (lufs - integratedLoudness(mix)) / 20.0));
    for (auto* channel : {&mix.left, &mix.right})
        for (float& sample : *channel)
            sample *= gain;
    return mix;
}
} // namespace

double integratedLoudness(const BenchMix& mix)
{
    ebur128_state* state = ebur128_init(2, unsigned(mix.sampleRate), EBUR128_MODE_I);
    std::vector<float> frames(2 * mix.left.size());
    for (size_t i = 0; i < mix.left.size(); ++i)
    {
        frames[2 * i] = mix.left[i];
        frames[2 * i + 1] = mix.right[i];
    }
    ebur128_add_frames_float(state, frames.data(), mix.left.size());
    double loudness = 0.0;
    ebur128_loudness_global(state, &loudness);
    ebur128_destroy(&state);
    return loudness;
}

std::vector<BenchMix> makeBenchMixes(double seconds)
{
    constexpr int k44 = 44100;
    constexpr int k48 = 48000;
    const Voice band = mixOf({drums(0.5, 1), tones(0.3, 6.0)});
    return {
        rendered("loud-master", k44, seconds, -8.0, saturatedBy(band, 3.0)),
        rendered("loud-electronic", k48, seconds, -9.5,
                 saturatedBy(mixOf({drums(0.6, 2), noiseBursts(0.1, 3, k48)}), 2.0)),
        rendered("rock", k44, seconds, -16.0,
                 mixOf({drums(0.5, 4), tones(0.25, 5.0), noiseBursts(0.05, 5, k44)})),
        rendered("acoustic", k44, seconds, -20.0, mixOf({tones(0.4, 9.0), drums(0.15, 6)})),
        rendered("orchestral", k48, seconds, -27.0,
                 sections(tones(0.05, 11.0), mixOf({tones(0.4, 3.0), noiseBursts(0.05, 7, k48)}))),
        rendered("speech", k48, seconds, -24.0, speech(0.5, k48)),
        rendered("podcast", k44, seconds, -19.0, mixOf({speech(0.5, k44), tones(0.03, 8.0)})),
        rendered("isp-traps", k44, seconds, -15.0,
                 mixOf({drums(0.5, 8), tones(0.1, 4.0), interSamplePeakTraps(0.3)})),
        rendered("noise-and-drums", k44, seconds, -18.0,
                 mixOf({drums(0.6, 9), noiseBursts(0.2, 10, k44)})),
        rendered("verse-chorus", k44, seconds, -21.0,
                 sections(mixOf({speech(0.3, k44), tones(0.05, 7.0)}),
                          mixOf({drums(0.6, 11), tones(0.3, 4.0), interSamplePeakTraps(0.1)}))),
        rendered("very-quiet", k44, seconds, -34.0, mixOf({drums(0.4, 12), tones(0.3, 5.0)})),
    };
}

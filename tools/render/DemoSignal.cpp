#include "tools/render/DemoSignal.h"

#include "engine/Units.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kBeatSeconds = 0.5; // 120 beats per minute
constexpr int kBeatsPerBar = 4;
constexpr double kBarSeconds = kBeatSeconds * kBeatsPerBar;
constexpr int kBars = int(kDemoFrames / (kBarSeconds * kDemoSampleRate));

// A small deterministic noise source (xorshift), uniform in [-1, 1).
class Noise
{
  public:
    double next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return double(state_) / 2147483648.0 - 1.0;
    }

  private:
    uint32_t state_ = 0x2545F491u;
};

// Two channels of double samples that the voices add into.
struct Mix
{
    std::vector<double> left = std::vector<double>(kDemoFrames, 0.0);
    std::vector<double> right = std::vector<double>(kDemoFrames, 0.0);
};

// Adds voice(t, frame) from startSeconds for lengthSeconds; voice answers {left, right}.
template <typename Voice>
void addVoice(Mix& mix, double startSeconds, double lengthSeconds, Voice voice)
{
    const int first = int(startSeconds * kDemoSampleRate);
    const int end = std::min(kDemoFrames, first + int(lengthSeconds * kDemoSampleRate));
    for (int frame = first; frame < end; ++frame)
    {
        const double t = double(frame - first) / kDemoSampleRate;
        const auto [left, right] = voice(t);
        mix.left[frame] += left;
        mix.right[frame] += right;
    }
}

struct Stereo
{
    double left;
    double right;
};

// A kick: a sine falling from 130 Hz to 45 Hz with a short noise click.
void addKick(Mix& mix, Noise& noise, double start)
{
    constexpr double kSweepSeconds = 0.04;
    addVoice(mix, start, 0.5,
             [&noise](double t)
             {
                 const double phase =
                     kTwoPi *
                     (45.0 * t + 85.0 * kSweepSeconds * (1.0 - std::exp(-t / kSweepSeconds)));
                 const double body = std::sin(phase) * std::exp(-t / 0.2);
                 const double click = 0.3 * noise.next() * std::exp(-t / 0.002);
                 const double sample = 0.9 * (body + click);
                 return Stereo{sample, sample};
             });
}

// A snare: a short 185 Hz tone under a burst of noise that differs between the channels.
void addSnare(Mix& mix, Noise& noise, double start)
{
    addVoice(mix, start, 0.4,
             [&noise](double t)
             {
                 const double tone = 0.25 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.06);
                 const double envelope = 0.35 * std::exp(-t / 0.09);
                 return Stereo{tone + envelope * noise.next(), tone + envelope * noise.next()};
             });
}

// A closed hi-hat: differenced noise (a crude high-pass), a little left of centre.
void addHat(Mix& mix, Noise& noise, double start, double level)
{
    double previous = 0.0;
    addVoice(mix, start, 0.12,
             [&noise, &previous, level](double t)
             {
                 const double current = noise.next();
                 const double sample = level * 0.5 * (current - previous) * std::exp(-t / 0.025);
                 previous = current;
                 return Stereo{0.7 * sample, 0.45 * sample};
             });
}

// One bass note: three harmonics, plucked.
void addBassNote(Mix& mix, double start, double frequency)
{
    addVoice(mix, start, kBeatSeconds,
             [frequency](double t)
             {
                 const double phase = kTwoPi * frequency * t;
                 const double wave =
                     std::sin(phase) + 0.4 * std::sin(2.0 * phase) + 0.2 * std::sin(3.0 * phase);
                 const double envelope =
                     (1.0 - std::exp(-t / 0.005)) * (0.6 + 0.4 * std::exp(-t / 0.3));
                 const double sample = 0.3 * wave * envelope;
                 return Stereo{sample, sample};
             });
}

// A chord held for a bar: triangle-like tones, detuned apart between the channels.
void addChord(Mix& mix, double start, const double (&frequencies)[3])
{
    addVoice(mix, start, kBarSeconds,
             [&frequencies](double t)
             {
                 Stereo sum{0.0, 0.0};
                 for (double frequency : frequencies)
                     for (int harmonic = 1; harmonic <= 4; ++harmonic)
                     {
                         const double level = 0.05 / (harmonic * harmonic);
                         sum.left += level * std::sin(kTwoPi * frequency * 1.002 * harmonic * t);
                         sum.right += level * std::sin(kTwoPi * frequency * 0.998 * harmonic * t);
                     }
                 const double envelope = 1.0 - std::exp(-t / 0.05);
                 return Stereo{sum.left * envelope, sum.right * envelope};
             });
}
} // namespace

std::vector<float> makeDemoSignal()
{
    // Bass notes per beat and chords per bar, in Hz: A minor, F, C, G.
    constexpr double kBassLine[kBeatsPerBar * 2] = {55.0,  55.0,  65.41, 49.0,
                                                    43.65, 43.65, 65.41, 49.0};
    constexpr double kChords[4][3] = {
        {220.0, 261.63, 329.63},
        {174.61, 220.0, 261.63},
        {196.0, 261.63, 329.63},
        {196.0, 246.94, 293.66},
    };

    Mix mix;
    Noise noise;
    for (int bar = 0; bar < kBars; ++bar)
    {
        const double barStart = bar * kBarSeconds;
        addKick(mix, noise, barStart);
        addKick(mix, noise, barStart + 2 * kBeatSeconds);
        if (bar % 2 == 1)
            addKick(mix, noise, barStart + 2.5 * kBeatSeconds);
        addSnare(mix, noise, barStart + kBeatSeconds);
        addSnare(mix, noise, barStart + 3 * kBeatSeconds);
        for (int eighth = 0; eighth < 2 * kBeatsPerBar; ++eighth)
            addHat(mix, noise, barStart + eighth * kBeatSeconds / 2, eighth % 2 ? 0.12 : 0.2);
        for (int beat = 0; beat < kBeatsPerBar; ++beat)
            addBassNote(mix, barStart + beat * kBeatSeconds,
                        kBassLine[(bar % 2) * kBeatsPerBar + beat]);
        addChord(mix, barStart, kChords[bar % 4]);
    }
    // A quiet bed of noise keeps every band busy.
    for (int frame = 0; frame < kDemoFrames; ++frame)
    {
        mix.left[frame] += 0.01 * noise.next();
        mix.right[frame] += 0.01 * noise.next();
    }

    double peak = 0.0;
    for (int frame = 0; frame < kDemoFrames; ++frame)
        peak = std::max({peak, std::abs(mix.left[frame]), std::abs(mix.right[frame])});
    const double scale = gainFromDecibels(kDemoPeakDb) / peak;
    std::vector<float> interleaved(size_t(kDemoFrames) * kDemoChannels);
    for (int frame = 0; frame < kDemoFrames; ++frame)
    {
        interleaved[2 * size_t(frame)] = float(mix.left[frame] * scale);
        interleaved[2 * size_t(frame) + 1] = float(mix.right[frame] * scale);
    }
    return interleaved;
}

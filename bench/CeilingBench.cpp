// The true-peak stage on the stress signals at every rate it supports, for a table beside another
// limiter (bench/ceiling-table.sh).
//   vrn07-bench-ceiling DIR            writes RATE-NAME.wav and, through the stage at -1 dBTP,
//                                      RATE-NAME.vrn07.wav into DIR, and lists the inputs
//   vrn07-bench-ceiling --measure FILE...
//                                      prints the 16x true peak and libebur128's, in dBTP
#include "analysis/InterSamplePeakMeter.h"
#include "engine/TruePeakLimiter.h"
#include "tests/engine/StressSignals.h"

#include <ebur128.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
constexpr int kRates[] = {44100, 48000, 88200, 96000, 176400, 192000};
constexpr double kCeilingDb = -1.0;
// Silence around each signal: before it, so that ffmpeg's meter, which mirrors a file's first
// samples, reads the signal and not that mirror; after it, so that a limiter's delay keeps all
// of it in a file of that length.
constexpr double kSilenceSeconds = 0.1;

bool write(const std::string& path, const Stereo& s, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
    {
        return false;
    }
    std::vector<float> interleaved;
    for (size_t i = 0; i < s.left.size(); ++i)
    {
        interleaved.push_back(s.left[i]);
        interleaved.push_back(s.right[i]);
    }
    sf_writef_float(file, interleaved.data(), sf_count_t(s.left.size()));
    return sf_close(file) == 0;
}

// The stage's output aligned with its input.
Stereo limited(const Stereo& in, int rate)
{
    CTruePeakLimiter stage(rate);
    stage.setCeiling(kCeilingDb);
    const int latency = stage.latencyFrames();
    Stereo out = in;
    out.left.resize(in.left.size() + latency, 0.0f);
    out.right.resize(in.right.size() + latency, 0.0f);
    stage.process(out.left.data(), out.right.data(), out.left.data(), out.right.data(),
                  int(out.left.size()));
    out.left.erase(out.left.begin(), out.left.begin() + latency);
    out.right.erase(out.right.begin(), out.right.begin() + latency);
    return out;
}

std::string slug(std::string name)
{
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

int generate(const std::string& folder)
{
    for (int rate : kRates)
    {
        for (Stress& stress : stressSignals(rate))
        {
            const std::vector<float> silence(size_t(rate * kSilenceSeconds), 0.0f);
            for (std::vector<float>* channel : {&stress.signal.left, &stress.signal.right})
            {
                channel->insert(channel->begin(), silence.begin(), silence.end());
                channel->insert(channel->end(), silence.begin(), silence.end());
            }
            const std::string base = folder + "/" + std::to_string(rate) + "-" + slug(stress.name);
            if (!write(base + ".wav", stress.signal, rate) ||
                !write(base + ".vrn07.wav", limited(stress.signal, rate), rate))
            {
                std::fprintf(stderr, "cannot write %s\n", base.c_str());
                return 1;
            }
            std::printf("%s.wav\n", base.c_str());
        }
    }
    return 0;
}

int measure(const char* path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file || info.channels != 2)
    {
        std::fprintf(stderr, "cannot read %s as stereo\n", path);
        return 1;
    }
    std::vector<float> interleaved(size_t(info.frames) * 2);
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    Stereo s;
    for (sf_count_t i = 0; i < info.frames; ++i)
    {
        s.left.push_back(interleaved[2 * i]);
        s.right.push_back(interleaved[2 * i + 1]);
    }
    CInterSamplePeakMeter meter;
    meter.add(s.left.data(), s.right.data(), int(info.frames));
    meter.finish();
    ebur128_state* state = ebur128_init(2, unsigned(info.samplerate), EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(state, interleaved.data(), size_t(info.frames));
    double left = 0.0;
    double right = 0.0;
    ebur128_true_peak(state, 0, &left);
    ebur128_true_peak(state, 1, &right);
    ebur128_destroy(&state);
    std::printf("%.2f %.2f\n", meter.peakDb(), 20.0 * std::log10(std::max(left, right)));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--measure")
    {
        int status = 0;
        for (int i = 2; i < argc; ++i)
        {
            status |= measure(argv[i]);
        }
        return status;
    }
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: vrn07-bench-ceiling DIR | --measure FILE...\n");
        return 2;
    }
    return generate(argv[1]);
}

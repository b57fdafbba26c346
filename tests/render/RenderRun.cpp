#include "tests/render/RenderRun.h"

#include "analysis/InterSamplePeakMeter.h"

#include <ebur128.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <sstream>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Puts every signal back to its default action, in a child about to run the program: the
// test runner may ignore some, and a program started with a signal ignored keeps it so.
void restoreDefaultSignals()
{
    for (int signal = 1; signal < NSIG; ++signal)
        std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}
} // namespace

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "vrn07-render-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot create a scratch folder";
    root_ = pattern;
    work_ = root_ / "work";
    fs::create_directory(work_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::vector<std::string> ScratchFolder::contents() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(work_))
        names.push_back(entry.path().lexically_relative(work_).string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult ScratchFolder::run(const std::vector<std::string>& arguments) const
{
    std::string command = "cd " + shellQuoted(work_.string()) + " && " + VRN07_RENDER_PATH;
    for (const std::string& argument : arguments)
        command.append(" ").append(shellQuoted(argument));
    const fs::path out = root_ / "stdout.txt";
    const fs::path err = root_ / "stderr.txt";
    command.append(" >").append(shellQuoted(out.string()));
    command.append(" 2>").append(shellQuoted(err.string()));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileBytes(out.string()),
            fileBytes(err.string())};
}

pid_t ScratchFolder::start(const std::vector<std::string>& arguments, int ignoredSignal) const
{
    std::vector<char*> argv{const_cast<char*>(VRN07_RENDER_PATH)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const std::string out = (root_ / "stdout.txt").string();
    const std::string err = (root_ / "stderr.txt").string();
    const pid_t child = fork();
    if (child != 0)
        return child;
    restoreDefaultSignals();
    if (ignoredSignal != 0)
        std::signal(ignoredSignal, SIG_IGN);
    const rlimit noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    if (chdir(work_.c_str()) == 0 && freopen(out.c_str(), "w", stdout) &&
        freopen(err.c_str(), "w", stderr))
        execv(argv[0], argv.data());
    _exit(127);
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void writeSound(const std::string& path, const Sound& sound)
{
    SF_INFO info{};
    info.samplerate = sound.sampleRate;
    info.channels = sound.channels;
    info.format = sound.format ? sound.format : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_float(file, sound.samples.data(), sound.frames()), sound.frames());
    sf_close(file);
}

Sound readSound(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Sound sound;
    if (!file)
    {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return sound;
    }
    sound.sampleRate = info.samplerate;
    sound.channels = info.channels;
    sound.format = info.format;
    sound.samples.resize(size_t(info.frames) * size_t(info.channels));
    EXPECT_EQ(sf_readf_float(file, sound.samples.data(), info.frames), info.frames);
    sf_close(file);
    return sound;
}

Sound sineSound(int sampleRate, int channels, long long frames, double frequency, double amplitude)
{
    Sound sound;
    sound.sampleRate = sampleRate;
    sound.channels = channels;
    sound.samples.resize(size_t(frames) * size_t(channels));
    for (long long frame = 0; frame < frames; ++frame)
    {
        const double phase = 2.0 * std::numbers::pi * frequency * double(frame) / sampleRate;
        for (int channel = 0; channel < channels; ++channel)
            sound.samples[size_t(frame * channels + channel)] = float(amplitude * std::sin(phase));
    }
    return sound;
}

void addNoise(Sound& sound, double amplitude)
{
    std::mt19937 generator(7);
    for (float& sample : sound.samples)
        sample += float(amplitude * (double(generator()) / 2147483648.0 - 1.0));
}

double peakOf(const std::vector<float>& samples)
{
    double peak = 0.0;
    for (float sample : samples)
        peak = std::max(peak, double(std::abs(sample)));
    return peak;
}

double decibels(double amplitude)
{
    return 20.0 * std::log10(amplitude);
}

namespace
{
using MeterState = std::unique_ptr<ebur128_state, void (*)(ebur128_state*)>;

MeterState meterOf(const Sound& sound)
{
    ebur128_state* state = ebur128_init(unsigned(sound.channels), unsigned(sound.sampleRate),
                                        EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(state, sound.samples.data(), size_t(sound.frames()));
    return MeterState(state, [](ebur128_state* gone) { ebur128_destroy(&gone); });
}
} // namespace

Loudness measureLoudness(const Sound& sound)
{
    const MeterState meter = meterOf(sound);
    Loudness loudness{};
    ebur128_loudness_global(meter.get(), &loudness.integrated);
    double largest = 0.0;
    for (int channel = 0; channel < sound.channels; ++channel)
    {
        double peak = 0.0;
        ebur128_true_peak(meter.get(), unsigned(channel), &peak);
        largest = std::max(largest, peak);
    }
    // The larger of libebur128's reading and the 16x meter's, as the report gives it.
    std::vector<float> left(size_t(sound.frames())), right(size_t(sound.frames()));
    for (long long i = 0; i < sound.frames(); ++i)
    {
        left[size_t(i)] = sound.samples[size_t(i * sound.channels)];
        right[size_t(i)] = sound.samples[size_t(i * sound.channels + sound.channels - 1)];
    }
    CInterSamplePeakMeter interSamplePeaks;
    interSamplePeaks.add(left.data(), right.data(), int(sound.frames()));
    interSamplePeaks.finish();
    loudness.truePeakDb = std::max(decibels(largest), interSamplePeaks.peakDb());
    return loudness;
}

double jointLoudness(const std::vector<Sound>& sounds)
{
    std::vector<MeterState> meters;
    std::vector<ebur128_state*> states;
    for (const Sound& sound : sounds)
    {
        meters.push_back(meterOf(sound));
        states.push_back(meters.back().get());
    }
    double loudness = 0.0;
    ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    return loudness;
}

ReportLine reportLine(const std::string& report, const std::string& label)
{
    ReportLine line{};
    std::istringstream lines(report);
    std::string text;
    while (std::getline(lines, text))
    {
        if (text.rfind(label, 0) != 0)
            continue;
        const char* rest = text.c_str() + label.size();
        if (std::sscanf(rest, " %lf dBFS %lf dBTP %lf LUFS %lf LU", &line.values[0],
                        &line.values[1], &line.values[2], &line.values[3]) == 4 ||
            std::sscanf(rest, " low %lf dB, mid %lf dB, high %lf dB", &line.values[0],
                        &line.values[1], &line.values[2]) == 3)
            line.found = true;
    }
    return line;
}

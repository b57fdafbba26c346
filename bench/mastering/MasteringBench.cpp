// The mastering benchmark: vrn07-render's delivery masters against LSP's limiter on the
// benchmark's own material, at -14 and -9 LUFS with a -1 dBTP ceiling. Every output is
// measured for loudness and loudness range (libebur128), for its true peak by libebur128
// and by the 16x inter-sample peak meter, and for how much it was processed beyond a gain
// (the processing residual).
//
// Run: build/bench/vrn07-bench-mastering [--render PATH] [--before PATH] [--no-lsp]
//          [--seconds S] [--keep DIR] [-- extra vrn07-render arguments]
// --before renders every file also with an earlier vrn07-render, right before the current
// one, so that both see the same load on a shared machine.
#include "analysis/InterSamplePeakMeter.h"
#include "analysis/ProcessingResidual.h"
#include "bench/mastering/Material.h"
#include "tools/render/DriveSearch.h"

#include <ebur128.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr double kCeilingDb = -1.0;
constexpr double kTargets[] = {-14.0, -9.0};
constexpr const char* kLsp = "http://lsp-plug.in/plugins/lv2/limiter_stereo";
// LSP's oversampling "Half x8(3L)".
constexpr int kLspOversampling = 10;

struct Settings
{
    std::string render = VRN07_RENDER_PATH;
    std::string before; // an earlier vrn07-render to compare with; empty: none
    bool lsp = true;
    double seconds = 20.0;
    std::string keep; // a folder to keep the files in; empty: a temporary one
    std::vector<std::string> renderArguments;
};

struct Measured
{
    double lufs = NAN;
    double range = NAN;
    double truePeakEbu = NAN; // dBTP
    double truePeak16 = NAN;  // dBTP
    double residualDb = NAN;
};

struct Outcome
{
    Measured figures;
    double seconds = 0.0;    // wall time of the render (vrn07-render only)
    double cpuSeconds = 0.0; // its processor time, user and system
    bool ran = false;
};

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool writeWav(const std::string& path, const BenchMix& mix)
{
    SF_INFO info{};
    info.samplerate = mix.sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> frames(2 * mix.left.size());
    for (size_t i = 0; i < mix.left.size(); ++i)
    {
        frames[2 * i] = mix.left[i];
        frames[2 * i + 1] = mix.right[i];
    }
    sf_writef_float(file, frames.data(), sf_count_t(mix.left.size()));
    sf_close(file);
    return true;
}

std::optional<BenchMix> readWav(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    BenchMix mix{path, info.samplerate, {}, {}};
    for (sf_count_t i = 0; i < info.frames; ++i)
    {
        mix.left.push_back(frames[size_t(i * info.channels)]);
        mix.right.push_back(frames[size_t(i * info.channels + info.channels - 1)]);
    }
    return mix;
}

double decibels(double linear)
{
    return 20.0 * std::log10(linear);
}

Measured measure(const BenchMix& output, const BenchMix& input)
{
    Measured m;
    ebur128_state* state = ebur128_init(2, unsigned(output.sampleRate),
                                        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
    std::vector<float> frames(2 * output.left.size());
    for (size_t i = 0; i < output.left.size(); ++i)
    {
        frames[2 * i] = output.left[i];
        frames[2 * i + 1] = output.right[i];
    }
    ebur128_add_frames_float(state, frames.data(), output.left.size());
    ebur128_loudness_global(state, &m.lufs);
    ebur128_loudness_range(state, &m.range);
    double left = 0.0, right = 0.0;
    ebur128_true_peak(state, 0, &left);
    ebur128_true_peak(state, 1, &right);
    m.truePeakEbu = decibels(std::max(left, right));
    ebur128_destroy(&state);

    CInterSamplePeakMeter meter;
    meter.add(output.left.data(), output.right.data(), int(output.left.size()));
    meter.finish();
    m.truePeak16 = meter.peakDb();
    const size_t frames16 = std::min(input.left.size(), output.left.size());
    m.residualDb = processingResidualDb({input.left.data(), input.right.data()},
                                        {output.left.data(), output.right.data()},
                                        int64_t(frames16), input.sampleRate);
    return m;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The processor time of every finished child process so far: on a shared machine the wall
// time also counts the other programs' turns.
double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t)
    { return double(t.tv_sec) + 1e-6 * double(t.tv_usec); };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Outcome renderVrn(const std::string& render, const Settings& settings, const std::string& in,
                  const std::string& out, double target, const BenchMix& input)
{
    std::vector<std::string> arguments = {render,
                                          in,
                                          out,
                                          "--target",
                                          std::to_string(target),
                                          "--ceiling",
                                          std::to_string(kCeilingDb)};
    arguments.insert(arguments.end(), settings.renderArguments.begin(),
                     settings.renderArguments.end());
    std::string command;
    for (const std::string& argument : arguments)
        command.append(quoted(argument)).append(" ");
    command.append(">/dev/null 2>&1");
    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = childCpuSeconds();
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.seconds = seconds(start);
    outcome.cpuSeconds = childCpuSeconds() - cpuBefore;
    const std::optional<BenchMix> output = readWav(out);
    if (!output || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3))
        return outcome;
    outcome.figures = measure(*output, input);
    outcome.ran = true;
    return outcome;
}

// LSP's limiter through lv2apply at an input gain (dB); its output without its latency.
std::optional<BenchMix> runLsp(const std::string& in, const std::string& out, double gainDb,
                               int latency)
{
    const std::string command = "lv2apply -i " + quoted(in) + " -o " + quoted(out) + " -c g_in " +
                                std::to_string(std::pow(10.0, gainDb / 20.0)) + " -c th " +
                                std::to_string(std::pow(10.0, kCeilingDb / 20.0)) + " -c ovs " +
                                std::to_string(kLspOversampling) + " -c boost 0 -c alr 0 " + kLsp +
                                " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    std::optional<BenchMix> output = readWav(out);
    if (output)
    {
        output->left.erase(output->left.begin(), output->left.begin() + latency);
        output->right.erase(output->right.begin(), output->right.begin() + latency);
    }
    return output;
}

// LSP's delay: where an impulse far below the threshold comes out.
int lspLatency(const std::string& folder, int sampleRate)
{
    BenchMix impulse{"impulse", sampleRate, std::vector<float>(8192), std::vector<float>(8192)};
    impulse.left[1000] = impulse.right[1000] = 0.01f;
    const std::string in = folder + "/impulse.wav";
    writeWav(in, impulse);
    const std::optional<BenchMix> out = runLsp(in, folder + "/impulse-out.wav", 0.0, 0);
    if (!out)
        return -1;
    const auto peak = std::max_element(out->left.begin(), out->left.end(),
                                       [](float a, float b) { return std::abs(a) < std::abs(b); });
    return int(peak - out->left.begin()) - 1000;
}

BenchMix paddedBy(const BenchMix& mix, int frames)
{
    BenchMix padded = mix;
    padded.left.resize(mix.left.size() + size_t(frames));
    padded.right.resize(mix.right.size() + size_t(frames));
    return padded;
}

Outcome renderLsp(const std::string& folder, const BenchMix& input, double inputLufs, double target,
                  int latency)
{
    const std::string in = folder + "/lsp-in.wav";
    const std::string out = folder + "/lsp-out.wav";
    writeWav(in, paddedBy(input, latency));
    // The search starts from the plain gain that would meet the target.
    const double plainGainDb = target - inputLufs;
    const DriveResult found = findDrive(target,
                                        [&](double driveDb)
                                        {
                                            const std::optional<BenchMix> output =
                                                runLsp(in, out, plainGainDb + driveDb, latency);
                                            return output ? integratedLoudness(*output) : -INFINITY;
                                        });
    Outcome outcome;
    const std::optional<BenchMix> output = runLsp(in, out, plainGainDb + found.driveDb, latency);
    if (!output)
        return outcome;
    outcome.figures = measure(*output, input);
    outcome.ran = true;
    return outcome;
}

bool meets(const Measured& m, double target)
{
    return std::abs(m.lufs - target) <= kTargetToleranceLu && m.truePeakEbu <= kCeilingDb &&
           m.truePeak16 <= kCeilingDb;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

struct Row
{
    std::string name;
    bool cutOnly;
    Measured input;
    Outcome vrn;
    Outcome before;
    Outcome lsp;
};

// The figures of one side of the table; with the wall time of the render where it is timed.
void printSide(const Outcome& o, const Measured& input, bool timed)
{
    if (!o.ran)
    {
        std::printf(" %*s", timed ? 49 : 43, "(not run)");
        return;
    }
    const Measured& m = o.figures;
    std::printf(" %6.2f %6.2f %6.2f %7.1f %5.2f", m.lufs, m.truePeakEbu, m.truePeak16, m.residualDb,
                input.range - m.range);
    if (timed)
        std::printf(" %5.2f", o.seconds);
}

void printSummary(const char* who, const std::vector<Row>& rows, double target, Outcome Row::*side)
{
    int met = 0, ran = 0;
    std::vector<double> cut, limited, lost;
    for (const Row& row : rows)
    {
        const Outcome& o = row.*side;
        if (!o.ran)
            continue;
        ++ran;
        met += meets(o.figures, target);
        (row.cutOnly ? cut : limited).push_back(o.figures.residualDb);
        lost.push_back(row.input.range - o.figures.range);
    }
    if (ran == 0)
        return;
    std::printf("%-6s met target and both ceilings: %d of %d; median residual: cut-only %.1f dB, "
                "limited %.1f dB; LRA lost: median %.2f, largest %.2f LU\n",
                who, met, ran, median(cut), median(limited), median(lost),
                *std::max_element(lost.begin(), lost.end()));
}

Settings parseSettings(int argc, char** argv)
{
    Settings settings;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--render" && i + 1 < argc)
            settings.render = argv[++i];
        else if (argument == "--before" && i + 1 < argc)
            settings.before = argv[++i];
        else if (argument == "--no-lsp")
            settings.lsp = false;
        else if (argument == "--seconds" && i + 1 < argc)
            settings.seconds = std::atof(argv[++i]);
        else if (argument == "--keep" && i + 1 < argc)
            settings.keep = argv[++i];
        else if (argument == "--")
        {
            settings.renderArguments.assign(argv + i + 1, argv + argc);
            break;
        }
        else
        {
            std::fprintf(stderr, "unknown argument %s\n", argument.c_str());
            std::exit(2);
        }
    }
    return settings;
}

// The wall and processor time of one side's renders, and the audio they rendered.
struct Speed
{
    double wall = 0.0, cpu = 0.0, audio = 0.0;
    int files = 0;

    void add(const Outcome& o, double audioSeconds)
    {
        wall += o.seconds;
        cpu += o.cpuSeconds;
        audio += audioSeconds;
        ++files;
    }
    void print(const char* who) const
    {
        if (files == 0)
            return;
        std::printf("%-6s wall time %.2f s per file, %.0fx real time; processor time %.2f s per "
                    "file, %.0fx real time\n",
                    who, wall / files, audio / wall, cpu / files, audio / cpu);
    }
};
} // namespace

int main(int argc, char** argv)
{
    const Settings settings = parseSettings(argc, argv);
    const fs::path folder = settings.keep.empty()
                                ? fs::temp_directory_path() / "vrn07-bench-mastering"
                                : fs::path(settings.keep);
    fs::create_directories(folder);
    const std::vector<BenchMix> mixes = makeBenchMixes(settings.seconds);
    std::vector<Measured> inputs;
    for (const BenchMix& mix : mixes)
    {
        writeWav((folder / (mix.name + ".wav")).string(), mix);
        inputs.push_back(measure(mix, mix));
    }
    for (const double target : kTargets)
    {
        std::printf("\n%.0f LUFS, %.0f dBTP ceiling\n", target, kCeilingDb);
        std::printf("%-16s %-5s %6s %6s | %-49s |%s %-43s\n", "file", "needs", "in", "in TP",
                    " VRN-07: LUFS   dBTP  16x   resid  LRA-  secs",
                    settings.before.empty() ? ""
                                            : "  before: LUFS   dBTP  16x   resid  LRA-  secs |",
                    " LSP: LUFS   dBTP  16x   resid  LRA-");
        std::vector<Row> rows;
        Speed speed, speedBefore;
        for (size_t i = 0; i < mixes.size(); ++i)
        {
            const BenchMix& mix = mixes[i];
            const Measured& input = inputs[i];
            const double inputPeak = std::max(input.truePeakEbu, input.truePeak16);
            Row row{mix.name, input.lufs >= target && inputPeak + target - input.lufs <= kCeilingDb,
                    input,    {},
                    {},       {}};
            const std::string in = (folder / (mix.name + ".wav")).string();
            const double audioSeconds = double(mix.left.size()) / mix.sampleRate;
            if (!settings.before.empty())
            {
                row.before = renderVrn(settings.before, settings, in,
                                       (folder / (mix.name + "-before.wav")).string(), target, mix);
                speedBefore.add(row.before, audioSeconds);
            }
            row.vrn = renderVrn(settings.render, settings, in,
                                (folder / (mix.name + "-vrn.wav")).string(), target, mix);
            speed.add(row.vrn, audioSeconds);
            if (settings.lsp)
            {
                static int latency = -1, latencyRate = 0;
                if (latencyRate != mix.sampleRate)
                {
                    latency = lspLatency(folder.string(), mix.sampleRate);
                    latencyRate = mix.sampleRate;
                }
                row.lsp = renderLsp(folder.string(), mix, input.lufs, target, latency);
            }
            std::printf("%-16s %-5s %6.2f %6.2f |", row.name.c_str(), row.cutOnly ? "cut" : "limit",
                        input.lufs, inputPeak);
            printSide(row.vrn, input, true);
            std::printf(" |");
            if (!settings.before.empty())
            {
                printSide(row.before, input, true);
                std::printf(" |");
            }
            printSide(row.lsp, input, false);
            std::printf("\n");
            std::fflush(stdout);
            rows.push_back(row);
        }
        printSummary("VRN", rows, target, &Row::vrn);
        printSummary("before", rows, target, &Row::before);
        printSummary("LSP", rows, target, &Row::lsp);
        speed.print("VRN");
        speedBefore.print("before");
    }
    return 0;
}

#include "tools/render/Render.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "tools/render/DemoSignal.h"
#include "tools/render/LoudnessMeter.h"
#include "tools/render/OfflineHost.h"
#include "tools/render/OutputFile.h"
#include "tools/render/OutputSink.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"
#include "tools/render/SoundFileReader.h"
#include "tools/render/SoundFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 1536000;
// Frames read from the file at once; rounded to whole host blocks.
constexpr int64_t kReadFrames = 65536;
constexpr int kOutputChannels = 2;
constexpr double kEditorTickSeconds = 0.025;

struct RenderPaths
{
    std::string input;     // empty for the demo
    std::string demoInput; // demo-in.wav, for the demo
    std::string output;
};

bool isFolder(const std::string& path)
{
    std::error_code ignored;
    return !path.empty() && fs::is_directory(path, ignored);
}

RenderPaths choosePaths(const RenderOptions& options)
{
    RenderPaths paths;
    if (options.demo)
    {
        const std::string& out = options.outputPath;
        const fs::path folder = isFolder(out) ? fs::path(out) : fs::path(out).parent_path();
        paths.demoInput = (folder / "demo-in.wav").string();
        paths.output = out.empty() || isFolder(out) ? (folder / "demo-out.wav").string() : out;
        return paths;
    }
    paths.input = options.inputPath;
    const fs::path input(options.inputPath);
    const std::string defaultName = input.stem().string() + "-out.wav";
    if (options.outputPath.empty())
        paths.output = (input.parent_path() / defaultName).string();
    else if (isFolder(options.outputPath))
        paths.output = (fs::path(options.outputPath) / defaultName).string();
    else
        paths.output = options.outputPath;
    return paths;
}

struct WrittenFile
{
    std::string path;
    const char* role;
};

// The files the render writes, in the order they are checked.
std::vector<WrittenFile> writtenFiles(const RenderPaths& paths, const RenderOptions& options)
{
    std::vector<WrittenFile> files;
    if (options.demo)
        files.push_back({paths.demoInput, "the demo input"});
    files.push_back({paths.output, "the output"});
    if (!options.snapshotPath.empty())
        files.push_back({options.snapshotPath, "the snapshot"});
    return files;
}

// Refuses, before anything is read or written, a file to write that is the input, that is
// another of the files to write, or that may not be written.
void checkWrittenFiles(const RenderPaths& paths, const RenderOptions& options)
{
    const std::vector<WrittenFile> files = writtenFiles(paths, options);
    const bool inputExists = !paths.input.empty() && fs::exists(paths.input);
    for (size_t i = 0; i < files.size(); ++i)
    {
        const std::string& path = files[i].path;
        if (inputExists && nameOneFile(path, paths.input))
            throw RenderError("cannot write " + path + ": it is the input file");
        for (size_t earlier = 0; earlier < i; ++earlier)
            if (nameOneFile(path, files[earlier].path))
                throw RenderError("cannot write " + path + ": it is also " + files[earlier].role);
        outputTarget(path);
    }
}

// Writes the demo programme under demo-in.wav's temporary name.
std::unique_ptr<SoundFileWriter> writeDemoInput(const std::string& path)
{
    auto writer = std::make_unique<SoundFileWriter>(path, kDemoSampleRate, kDemoChannels);
    const std::vector<float> demo = makeDemoSignal();
    writer->write(demo.data(), kDemoFrames);
    writer->close();
    return writer;
}

void checkInput(const SoundFileReader& reader)
{
    if (reader.channels() > 2)
        throw RenderError(reader.name() + " has " + std::to_string(reader.channels()) +
                          " channels; only mono and stereo files can be played");
    if (reader.sampleRate() < kMinSampleRate || reader.sampleRate() > kMaxSampleRate)
        throw RenderError(reader.name() + " has a sample rate of " +
                          std::to_string(reader.sampleRate()) + " Hz; the plug-in takes " +
                          std::to_string(kMinSampleRate) + " Hz to " +
                          std::to_string(kMaxSampleRate) + " Hz");
}

void configure(OfflineHost& host, const RenderOptions& options, int sampleRate)
{
    host.start(static_cast<float>(sampleRate), options.blockFrames);
    host.selectProgram(options.program);
    for (const ParameterSetting& setting : options.settings)
        host.setParameter(setting.index, setting.value);
    if (options.bypass)
        host.setParameter(kParamBypass, 0.0);
    if (!options.snapshotPath.empty())
    {
        host.setParameter(kParamViewerMode, options.spectrumView ? 0.0 : 1.0);
        host.openEditor();
    }
}

// Writes the editor's last frame through an OutputFile, so that a failure leaves no picture
// behind.
void writeSnapshot(const OfflineHost& host, const std::string& path)
{
    OutputFile picture(path);
    if (!host.writeSnapshot(picture.temporaryPath()))
        throw RenderError("cannot write the snapshot " + path);
    picture.commit();
}

struct Measurements
{
    LoudnessFigures input;
    LoudnessFigures output;
    int64_t frames;
    int64_t nonFiniteSamples;
    int delayFrames; // how far the effect delays its output with these settings
};

// The channels one read of the file is played through, and the interleaved frames that the
// meters and the writer take.
struct PlayBuffers
{
    explicit PlayBuffers(int64_t frames)
        : inLeft(frames), inRight(frames), outLeft(frames), outRight(frames),
          stereo(size_t(frames) * kOutputChannels)
    {
    }

    std::vector<float> inLeft, inRight, outLeft, outRight, stereo;
};

// The host as the render drives it, and how far it has played.
struct HostPlayer
{
    HostPlayer(OfflineHost& host, int blockFrames, int sampleRate)
        : host(host), blockFrames(blockFrames), framesPerTick(sampleRate * kEditorTickSeconds),
          nextTick(framesPerTick)
    {
    }

    OfflineHost& host;
    const int blockFrames;
    // An open editor gets a host idle call after every 25 ms of audio.
    const double framesPerTick;
    double nextTick;
    int64_t played = 0;
};

int64_t countNonFinite(const std::vector<float>& samples, int64_t count)
{
    return std::count_if(samples.begin(), samples.begin() + count,
                         [](float sample) { return !std::isfinite(sample); });
}

// Splits file frames into the two host inputs; a mono file plays the same samples to both.
void splitChannels(const std::vector<float>& fileFrames, int channels, int64_t frames,
                   std::vector<float>& left, std::vector<float>& right)
{
    for (int64_t i = 0; i < frames; ++i)
    {
        left[i] = fileFrames[size_t(i * channels)];
        right[i] = fileFrames[size_t(i * channels + channels - 1)];
    }
}

void interleave(const std::vector<float>& left, const std::vector<float>& right, int64_t frames,
                std::vector<float>& stereo)
{
    for (int64_t i = 0; i < frames; ++i)
    {
        stereo[size_t(2 * i)] = left[i];
        stereo[size_t(2 * i + 1)] = right[i];
    }
}

// Plays the first frames of the buffers' inputs through the host in blocks of the host block
// size (only the last one shorter) and hands what comes out to the output.
void playFrames(HostPlayer& player, PlayBuffers& buffers, int64_t frames, OutputSink& output)
{
    for (int64_t offset = 0; offset < frames; offset += player.blockFrames)
    {
        const int block = int(std::min<int64_t>(player.blockFrames, frames - offset));
        player.host.process(&buffers.inLeft[offset], &buffers.inRight[offset],
                            &buffers.outLeft[offset], &buffers.outRight[offset], block);
        player.played += block;
        for (; player.played >= player.nextTick; player.nextTick += player.framesPerTick)
            player.host.idleEditor();
    }
    interleave(buffers.outLeft, buffers.outRight, frames, buffers.stereo);
    output.take(buffers.stereo.data(), frames);
}

// Plays the whole input through the host into the output, then tailFrames of silence, which
// push out the end of the input that the plug-in's delay still holds.
Measurements play(SoundFileReader& reader, HostPlayer& player, OutputSink& output,
                  int64_t tailFrames)
{
    const int64_t chunk =
        player.blockFrames * std::max<int64_t>(1, kReadFrames / player.blockFrames);
    const int channels = reader.channels();
    std::vector<float> fileFrames(size_t(chunk) * channels);
    PlayBuffers buffers(std::max(chunk, tailFrames));
    LoudnessMeter inputMeter(reader.sampleRate());
    ProgressBar progress(reader.frames());
    Measurements measured{};

    while (const int64_t frames = reader.read(fileFrames.data(), chunk))
    {
        measured.nonFiniteSamples += countNonFinite(fileFrames, frames * channels);
        splitChannels(fileFrames, channels, frames, buffers.inLeft, buffers.inRight);
        interleave(buffers.inLeft, buffers.inRight, frames, buffers.stereo);
        inputMeter.add(buffers.stereo.data(), size_t(frames));
        playFrames(player, buffers, frames, output);
        measured.frames += frames;
        progress.advance(frames);
    }
    std::fill_n(buffers.inLeft.begin(), tailFrames, 0.0f);
    std::fill_n(buffers.inRight.begin(), tailFrames, 0.0f);
    playFrames(player, buffers, tailFrames, output);
    measured.input = inputMeter.figures();
    measured.output = output.figures();
    return measured;
}

// Which output was written: aligned with the input or as delayed as the effect left it.
std::string timingText(bool raw, int delayFrames)
{
    const char* kind = raw ? "raw" : "aligned with the input";
    if (delayFrames == 0)
        return std::string(kind) + " (the bypassed effect has no delay)";
    const std::string delay = std::to_string(delayFrames) + " frames";
    return raw ? "raw (delayed by " + delay + ", as an uncompensated host records)"
               : "aligned with the input (" + delay + " of delay removed)";
}

std::string decibelText(double gain)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f dB", 20.0 * std::log10(gain));
    return text;
}

void printReport(std::ostream& report, const RenderOptions& options, const RenderPaths& paths,
                 const SoundFileReader& reader, const SoundFileWriter& writer,
                 const OfflineHost& host, const Measurements& measured)
{
    const std::string input = options.demo ? paths.demoInput + " (demo)" : paths.input;
    report << "input    " << input << ": " << reader.sampleRate() << " Hz, "
           << (reader.channels() == 1 ? "mono" : "stereo") << ", " << measured.frames
           << " frames\n";
    report << "output   " << writer.path() << ": " << writer.format().description << ", "
           << timingText(options.raw, measured.delayFrames) << "\n";
    report << "program  " << options.program << " \"" << kFactoryPresets[options.program].name
           << "\", " << options.settings.size() << " setting(s)"
           << (options.bypass ? ", bypassed" : "") << ", block " << options.blockFrames << " frames"
           << (options.pluginPath.empty() ? "" : ", plug-in " + options.pluginPath) << "\n\n";
    if (measured.nonFiniteSamples > 0)
        report << "note     " << measured.nonFiniteSamples
               << " input samples are NaN or infinite: the input figures are not meaningful\n\n";
    report << "           sample peak     true peak     loudness       range\n";
    report << loudnessLine("input", measured.input) << "\n";
    report << loudnessLine("output", measured.output) << "\n\n";
    if (host.hasBandMeters())
    {
        const auto& gains = host.deepestBandGains();
        report << "deepest band gain reduction: low " << decibelText(gains[0]) << ", mid "
               << decibelText(gains[1]) << ", high " << decibelText(gains[2]) << "\n";
    }
    else
        report << "deepest band gain reduction: not available (the band meters are internal "
                  "to the effect and cannot be read from a loaded binary)\n";
}
} // namespace

void render(const RenderOptions& options, std::ostream& report)
{
    const RenderPaths paths = choosePaths(options);
    outputFormatFor(paths.output); // an unknown extension fails before any work is done
    checkWrittenFiles(paths, options);

    std::unique_ptr<OfflineHost> host = options.pluginPath.empty()
                                            ? std::make_unique<OfflineHost>()
                                            : std::make_unique<OfflineHost>(options.pluginPath);

    std::unique_ptr<SoundFileWriter> demoInput;
    if (options.demo)
        demoInput = writeDemoInput(paths.demoInput);
    SoundFileReader reader(demoInput ? demoInput->temporaryPath() : paths.input,
                           demoInput ? paths.demoInput : paths.input);
    checkInput(reader);

    SoundFileWriter writer(paths.output, reader.sampleRate(), kOutputChannels);
    configure(*host, options, reader.sampleRate());
    const int delayFrames = host->delayFrames();
    const int removedFrames = options.raw ? 0 : delayFrames;
    OutputSink output(writer, reader.sampleRate(), removedFrames);
    HostPlayer player(*host, options.blockFrames, reader.sampleRate());
    Measurements measured = play(reader, player, output, removedFrames);
    measured.delayFrames = delayFrames;
    host->stop();

    if (!options.snapshotPath.empty())
        writeSnapshot(*host, options.snapshotPath);
    writer.commit();
    if (demoInput)
        demoInput->commit();
    printReport(report, options, paths, reader, writer, *host, measured);
}

#include "tools/render/Render.h"

#include "engine/FactoryPresets.h"
#include "tools/render/DemoSignal.h"
#include "tools/render/FileRender.h"
#include "tools/render/OutputFile.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"
#include "tools/render/ReportPicture.h"
#include "tools/render/ReportTable.h"
#include "tools/render/SoundFileWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace
{
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
    if (!options.reportPath.empty())
        files.push_back({options.reportPath, "the report"});
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
        checkFolderOfNewFile(path);
    }
}

// Writes the demo programme under demo-in.wav's temporary name.
std::unique_ptr<SoundFileWriter> writeDemoInput(const std::string& path)
{
    auto writer = std::make_unique<SoundFileWriter>(path, outputFormatFor(path), kDemoSampleRate,
                                                    kDemoChannels);
    const std::vector<float> demo = makeDemoSignal();
    writer->write(demo.data(), kDemoFrames);
    writer->close();
    return writer;
}

// Why the plug-in delays nothing: its own bypass, or a chain that plays no plug-in.
std::string undelayedText(const FileResult& result)
{
    const bool played =
        result.processing == Processing::plugin || result.processing == Processing::maximizer;
    return played ? "the bypassed effect has no delay" : "no plug-in played";
}

// Which output was written: aligned with the input or as delayed as the effect left it.
std::string timingText(bool raw, const FileResult& result)
{
    const std::string stage = result.stageLatency == 0 ? ""
                                                       : std::to_string(result.stageLatency) +
                                                             " of the true-peak stage's look-ahead";
    if (raw)
    {
        const std::string delay = result.pluginDelay == 0
                                      ? "raw (" + undelayedText(result) + ")"
                                      : "raw (delayed by " + std::to_string(result.pluginDelay) +
                                            " frames, as an uncompensated host records)";
        return stage.empty() ? delay : delay + ", " + stage + " removed";
    }
    const int removed = result.pluginDelay + result.stageLatency;
    if (removed == 0)
        return "aligned with the input (" + undelayedText(result) + ")";
    if (result.pluginDelay == 0)
        return "aligned with the input (" + std::to_string(removed) +
               " frames of the true-peak stage's look-ahead removed; " + undelayedText(result) +
               ")";
    if (stage.empty())
        return "aligned with the input (" + std::to_string(removed) + " frames of delay removed)";
    return "aligned with the input (" + std::to_string(removed) +
           " frames of delay removed: " + std::to_string(result.pluginDelay) + " of the plug-in, " +
           stage + ")";
}

void printHeader(std::ostream& report, const RenderOptions& options, const RenderPaths& paths,
                 const FileResult& result)
{
    const std::string input = options.demo ? paths.demoInput + " (demo)" : paths.input;
    report << "input    " << input << ": " << result.sampleRate << " Hz, "
           << (result.channels == 1 ? "mono" : "stereo") << ", " << result.frames << " frames\n";
    report << "output   " << result.outputPath << ": " << result.formatDescription << ", "
           << timingText(options.raw, result) << "\n";
    report << "program  " << options.program << " \"" << kFactoryPresets[options.program].name
           << "\", " << options.settings.size() << " setting(s)"
           << (options.bypass ? ", bypassed" : "") << ", block " << options.blockFrames << " frames"
           << (options.pluginPath.empty() ? "" : ", plug-in " + options.pluginPath) << "\n";
    if (options.ceilingDb || result.integerBits > 0)
        report << "delivery " << deliverySummary(options, result.integerBits) << "\n";
    if (result.search)
        report << "drive    " << driveText(*result.search) << "\n";
    report << "\n";
}

void printReport(std::ostream& report, const RenderOptions& options, const RenderPaths& paths,
                 const FileResult& result)
{
    printHeader(report, options, paths, result);
    if (result.nonFiniteSamples > 0)
        report << "note     " << result.nonFiniteSamples
               << " input samples are NaN or infinite: the input figures are not meaningful\n\n";
    report << "           sample peak     true peak     loudness       range\n";
    report << loudnessLine("input", result.input) << "\n";
    report << loudnessLine("output", result.output) << "\n\n";
    if (result.deepestBandGains)
    {
        const auto& gains = *result.deepestBandGains;
        report << "deepest band gain reduction: low " << decibelText(gains[0]) << " dB, mid "
               << decibelText(gains[1]) << " dB, high " << decibelText(gains[2]) << " dB\n";
    }
    else
        report << "deepest band gain reduction: not available (the band meters are internal "
                  "to the effect and cannot be read from a loaded binary)\n";
    if (options.ceilingDb)
        report << "deepest true-peak stage gain reduction: " << decibelText(result.deepestStageGain)
               << " dB\n";
    if (result.search)
        report << "applied  " << processingSummary(result) << "\n";
    if (result.ceilingMissed())
        report << "ceiling  missed: " << missedTargetText(result, options.targetLufs) << "\n";
}
} // namespace

int render(const RenderOptions& options, std::ostream& report, std::ostream& problems)
{
    const RenderPaths paths = choosePaths(options);
    // An unknown extension or a word length the format cannot hold fails before any work.
    outputFormatFor(paths.output, options.bits);
    checkWrittenFiles(paths, options);

    std::unique_ptr<SoundFileWriter> demoInput;
    if (options.demo)
        demoInput = writeDemoInput(paths.demoInput);
    const RenderJob job{demoInput ? demoInput->temporaryPath() : paths.input,
                        demoInput ? paths.demoInput : paths.input, paths.output, false, true};
    FileRender file(job, options);
    {
        ProgressBar progress(estimatedWork(file.announcedFrames(), options));
        renderFile(file, options, progress);
        progress.complete();
    }
    if (demoInput)
        demoInput->commit();
    const FileResult& result = file.result();
    printReport(report, options, paths, result);
    if (!options.reportPath.empty())
    {
        writeJsonReport(options.reportPath, options, {result});
        writeReportPictures(options.reportPath, {result});
    }
    if (!result.missedTarget())
        return 0;
    problems << "vrn07-render: " << missedTargetText(result, options.targetLufs) << "\n";
    return kTargetMissedStatus;
}

#include "tools/render/BatchRender.h"

#include "engine/FactoryPresets.h"
#include "tools/render/FileRender.h"
#include "tools/render/LeastProcessing.h"
#include "tools/render/OutputFile.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/Render.h"
#include "tools/render/RenderError.h"
#include "tools/render/ReportPicture.h"
#include "tools/render/ReportTable.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace
{
// The files of an input folder that are rendered: those with the extension of an audio
// format libsndfile reads.
constexpr const char* kAudioExtensions[] = {".wav",  ".wave", ".flac", ".aif", ".aiff",
                                            ".aifc", ".ogg",  ".oga",  ".mp3", ".w64",
                                            ".rf64", ".caf",  ".au"};

bool isAudioFile(const fs::directory_entry& entry)
{
    std::error_code ignored;
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return entry.is_regular_file(ignored) && !entry.path().filename().string().starts_with(".") &&
           std::find(std::begin(kAudioExtensions), std::end(kAudioExtensions), extension) !=
               std::end(kAudioExtensions);
}

// The input files: each path given, a folder giving its audio files in name order.
std::vector<std::string> inputFiles(const std::vector<std::string>& paths)
{
    std::vector<std::string> files;
    for (const std::string& path : paths)
    {
        std::error_code error;
        if (!fs::is_directory(path, error))
        {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> inFolder;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
            if (isAudioFile(entry))
                inFolder.push_back((fs::path(path) / entry.path().filename()).string());
        if (error)
            throw RenderError("cannot read the folder " + path + ": " + error.message());
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    if (files.empty())
        throw RenderError("no audio files to render in the folders given");
    return files;
}

std::vector<RenderJob> batchJobs(const RenderOptions& options)
{
    std::vector<RenderJob> jobs;
    for (const std::string& input : inputFiles(options.inputPaths))
    {
        fs::path name = fs::path(input).filename();
        if (!options.formatExtension.empty())
            name.replace_extension(options.formatExtension);
        jobs.push_back({input, input, (fs::path(options.outDir) / name).string(), true});
    }
    return jobs;
}

struct WrittenFile
{
    std::string path;
    std::string role;
};

// Refuses, before anything is written, an output that is an input or another output, or
// that may not be written, and a report that is one of those files.
void checkBatchFiles(const std::vector<RenderJob>& jobs, const RenderOptions& options)
{
    std::error_code error;
    if (fs::exists(options.outDir, error) && !fs::is_directory(options.outDir, error))
        throw RenderError("cannot write into " + options.outDir + ": it is not a folder");
    std::vector<WrittenFile> written;
    for (const RenderJob& job : jobs)
    {
        outputFormatFor(job.outputPath, options.bits);
        written.push_back({job.outputPath, "the output of " + job.inputPath});
    }
    if (!options.reportPath.empty())
        written.push_back({options.reportPath, "the report"});
    for (size_t i = 0; i < written.size(); ++i)
    {
        const std::string& path = written[i].path;
        for (const RenderJob& job : jobs)
            if (fs::exists(job.inputPath, error) && nameOneFile(path, job.inputPath))
                throw RenderError("cannot write " + path + ": it is the input file " +
                                  job.inputPath);
        for (size_t earlier = 0; earlier < i; ++earlier)
            if (nameOneFile(path, written[earlier].path))
                throw RenderError("cannot write " + written[i].role + " to " + path +
                                  ": it is also " + written[earlier].role);
        outputTarget(path);
    }
    // The outputs' folder is made when missing; the report's must be there.
    if (!options.reportPath.empty())
        checkFolderOfNewFile(options.reportPath);
}

void createOutputFolder(const std::string& folder)
{
    std::error_code error;
    fs::create_directory(folder, error);
    if (error)
        throw RenderError("cannot create the folder " + folder + ": " + error.message());
}

int workerCount(const RenderOptions& options)
{
    if (options.jobs > 0)
        return options.jobs;
    return std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxJobs);
}

// Runs work(i) for every i below count on up to workers threads, the calling one among them.
// work must not throw.
void forEachInParallel(size_t count, int workers, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next{0};
    auto worker = [&]
    {
        for (size_t i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> threads;
    for (size_t t = 1; t < std::min(count, size_t(workers)); ++t)
    {
        try
        {
            threads.emplace_back(worker);
        }
        catch (const std::system_error&)
        {
            break; // the threads there are do the work
        }
    }
    worker();
    for (std::thread& thread : threads)
        thread.join();
}

// Runs a step of a file's render; a failure becomes the row's error.
template <typename Step> void attempt(FileResult& row, Step step)
{
    try
    {
        step();
    }
    catch (const std::exception& failure)
    {
        row.error = failure.what();
    }
}

struct Batch
{
    explicit Batch(const RenderOptions& options) : options(options), jobs(batchJobs(options)) {}

    const RenderOptions& options;
    std::vector<RenderJob> jobs;
    int workers = 1;
    std::vector<FileResult> rows;
    std::unique_ptr<ProgressBar> progress;
    std::optional<DriveResult> albumSearch;
    std::vector<std::unique_ptr<FileRender>> albumRenders; // null for a file that failed

    // Makes the row of a file whose step failed a failed row, and drops the file's render.
    void settle(size_t i)
    {
        if (rows[i].written())
            return;
        const std::string error = rows[i].error;
        rows[i] = FileResult{};
        rows[i].inputName = jobs[i].inputName;
        rows[i].outputPath = jobs[i].outputPath;
        rows[i].error = error;
        if (!albumRenders.empty())
            albumRenders[i].reset();
    }

    // Each file on its own: its drive found for its target, then written.
    void renderEach()
    {
        forEachInParallel(jobs.size(), workers,
                          [&](size_t i)
                          {
                              attempt(rows[i],
                                      [&]
                                      {
                                          FileRender render(jobs[i], options);
                                          renderFile(render, options, *progress);
                                          rows[i] = render.result();
                                      });
                              settle(i);
                          });
    }

    // All files at one drive and processing, found for their joint loudness; they are held
    // in memory meanwhile.
    void renderAlbum()
    {
        albumRenders.resize(jobs.size());
        forEachAlbumFile(
            [&](size_t i)
            {
                albumRenders[i] = std::make_unique<FileRender>(jobs[i], options);
                albumRenders[i]->decode(*progress);
            });
        const auto loudnessAt = [&](Processing processing, double driveDb)
        { return jointLoudness(processing, driveDb); };
        ProcessingChoice choice{Processing::plugin, {}};
        if (options.leastProcessing())
        {
            const double inputLoudness = jointLoudness(Processing::gain, 0.0);
            const double plainGainDb =
                std::isfinite(inputLoudness) ? *options.targetLufs - inputLoudness : 0.0;
            choice = findLeastProcessing(
                *options.targetLufs, plainGainDb,
                {loudnessAt, [&](double gainDb) { return everyFileKeepsCeiling(gainDb); }});
        }
        else
            choice.search = findDrive(*options.targetLufs, [&](double driveDb)
                                      { return loudnessAt(Processing::plugin, driveDb); });
        albumSearch = choice.search;
        forEachAlbumFile(
            [&](size_t i)
            {
                FileRender& render = *albumRenders[i];
                render.result().search = albumSearch;
                render.write(choice.processing, albumSearch->driveDb, *progress);
                rows[i] = render.result();
                albumRenders[i].reset();
            });
    }

    bool everyFileKeepsCeiling(double gainDb) const
    {
        for (const auto& render : albumRenders)
            if (render && !render->gainKeepsCeiling(gainDb))
                return false;
        return true;
    }

    // The joint loudness of every file still in the album, rendered at a drive.
    double jointLoudness(Processing processing, double driveDb)
    {
        std::vector<TrialMeters> meters(jobs.size());
        forEachAlbumFile([&](size_t i)
                         { meters[i] = albumRenders[i]->measure(processing, driveDb, *progress); });
        std::vector<const LoudnessMeter*> measured;
        for (const TrialMeters& fileMeters : meters)
            for (const auto& meter : fileMeters)
                measured.push_back(meter.get());
        return LoudnessMeter::jointIntegrated(measured);
    }

    // Runs a step for every file of the album that has not failed (all at first), in
    // parallel.
    void forEachAlbumFile(const std::function<void(size_t)>& work)
    {
        forEachInParallel(jobs.size(), workers,
                          [&](size_t i)
                          {
                              if (!rows[i].written())
                                  return;
                              attempt(rows[i], [&] { work(i); });
                              settle(i);
                          });
    }
};

int64_t announcedFrames(const std::string& path)
{
    try
    {
        return std::max<int64_t>(0, SoundFileReader(path, path).frames());
    }
    catch (const RenderError&)
    {
        return 0; // the render reports it
    }
}

void printBatchHeader(std::ostream& report, const Batch& batch)
{
    const RenderOptions& options = batch.options;
    report << "program  " << options.program << " \"" << kFactoryPresets[options.program].name
           << "\", " << options.settings.size() << " setting(s)"
           << (options.bypass ? ", bypassed" : "") << ", block " << options.blockFrames << " frames"
           << (options.pluginPath.empty() ? "" : ", plug-in " + options.pluginPath) << "\n";
    report << "files    " << batch.jobs.size() << " into " << options.outDir << ", "
           << batch.workers << " at a time, " << (options.raw ? "raw" : "aligned with their inputs")
           << "\n";
    if (options.ceilingDb)
        report << "delivery " << deliverySummary(options, -1) << "\n";
    if (batch.albumSearch)
    {
        char line[128];
        std::snprintf(line, sizeof(line), "album    joint loudness %.2f LUFS at a drive of ",
                      batch.albumSearch->loudness);
        report << line << driveText(*batch.albumSearch) << "\n";
    }
    report << "\n";
}

int exitStatus(const Batch& batch, std::ostream& problems)
{
    int status = 0;
    for (const FileResult& row : batch.rows)
    {
        if (!row.written())
        {
            problems << "vrn07-render: " << row.error << "\n";
            status = kFailedStatus;
        }
        else if (row.missedTarget())
        {
            problems << "vrn07-render: " << missedTargetText(row, batch.options.targetLufs) << "\n";
            status = status == 0 ? kTargetMissedStatus : status;
        }
    }
    return status;
}
} // namespace

int renderBatch(const RenderOptions& options, std::ostream& report, std::ostream& problems)
{
    Batch batch(options);
    checkBatchFiles(batch.jobs, options);
    createOutputFolder(options.outDir);

    batch.rows.resize(batch.jobs.size());
    batch.workers = std::min(workerCount(options), int(batch.jobs.size()));
    int64_t work = 0;
    for (const RenderJob& job : batch.jobs)
        work += estimatedWork(announcedFrames(job.inputPath), options);
    {
        batch.progress = std::make_unique<ProgressBar>(work);
        if (options.album)
            batch.renderAlbum();
        else
            batch.renderEach();
        batch.progress->complete();
        batch.progress.reset();
    }
    printBatchHeader(report, batch);
    printTable(report, batch.rows);
    if (!options.reportPath.empty())
    {
        writeJsonReport(options.reportPath, options, batch.rows);
        writeReportPictures(options.reportPath, batch.rows);
    }
    return exitStatus(batch, problems);
}

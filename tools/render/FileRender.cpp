#include "tools/render/FileRender.h"

#include "tools/render/DeliveryChain.h"
#include "tools/render/OutputFile.h"
#include "tools/render/OutputSink.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"

namespace
{
// The trials a drive search usually takes, for the progress bar's estimate.
constexpr int kTypicalTrials = 5;
constexpr int kOutputChannels = 2;

OutputFormat chosenFormat(const RenderJob& job, const RenderOptions& options,
                          const SoundFileReader& reader)
{
    if (options.bits != 0 || !job.keepWordLength)
        return outputFormatFor(job.outputPath, options.bits);
    return outputFormatKeeping(job.outputPath, reader.bits());
}
} // namespace

FileRender::FileRender(const RenderJob& job, const RenderOptions& options)
    : options_(options), source_(job.inputPath, job.inputName),
      format_(chosenFormat(job, options, source_.reader()))
{
    result_.inputName = job.inputName;
    result_.outputPath = job.outputPath;
    result_.sampleRate = source_.reader().sampleRate();
    result_.channels = source_.reader().channels();
    result_.formatDescription = format_.description;
    result_.integerBits = format_.integerBits;
}

FileRender::~FileRender() = default;

std::optional<Quantizer> FileRender::quantizer() const
{
    if (format_.integerBits == 0)
        return std::nullopt;
    return Quantizer(format_.integerBits, options_.dither);
}

double FileRender::headroom() const
{
    const std::optional<Quantizer> reducer = quantizer();
    return reducer ? reducer->peakChange() : 0.0;
}

void FileRender::decode(ProgressBar& progress)
{
    signal_ = source_.readAll(progress);
    takeSourceFigures();
}

void FileRender::takeSourceFigures()
{
    result_.frames = source_.framesRead();
    result_.nonFiniteSamples = source_.nonFiniteSamples();
    result_.input = source_.figures();
}

std::unique_ptr<LoudnessMeter> FileRender::measure(double driveDb, ProgressBar& progress)
{
    auto meter =
        std::make_unique<LoudnessMeter>(result_.sampleRate, LoudnessMeter::Scope::integratedOnly);
    DeliveryChain chain(options_, result_.sampleRate, driveDb, headroom(), false);
    OutputSink sink(*meter, chain.alignmentFrames(), quantizer(), nullptr);
    MemoryStereoSource source(*signal_);
    chain.play(source, sink, progress);
    return meter;
}

void FileRender::write(double driveDb, ProgressBar& progress)
{
    SoundFileWriter writer(result_.outputPath, format_, result_.sampleRate, kOutputChannels);
    DeliveryChain chain(options_, result_.sampleRate, driveDb, headroom(), true);
    LoudnessMeter meter(result_.sampleRate);
    OutputSink sink(meter, chain.alignmentFrames(), quantizer(), &writer);
    if (signal_)
    {
        MemoryStereoSource source(*signal_);
        chain.play(source, sink, progress);
    }
    else
    {
        chain.play(source_, sink, progress);
        takeSourceFigures();
    }
    if (!options_.snapshotPath.empty())
        writeSnapshot(chain);
    writer.commit();
    result_.driveDb = driveDb;
    result_.output = meter.figures();
    takeChainFigures(chain);
}

void FileRender::writeSnapshot(const DeliveryChain& chain) const
{
    // Through an OutputFile, so that a failure leaves no picture behind.
    OutputFile picture(options_.snapshotPath);
    if (!chain.host().writeSnapshot(picture.temporaryPath()))
        throw RenderError("cannot write the snapshot " + options_.snapshotPath);
    picture.commit();
}

void FileRender::takeChainFigures(const DeliveryChain& chain)
{
    result_.pluginDelay = chain.pluginDelay();
    result_.stageLatency = chain.stageLatency();
    result_.deepestStageGain = chain.deepestStageGain();
    if (chain.host().hasBandMeters())
        result_.deepestBandGains = chain.host().deepestBandGains();
}

void renderFile(FileRender& render, const RenderOptions& options, ProgressBar& progress)
{
    if (!options.targetLufs)
    {
        render.write(0.0, progress);
        return;
    }
    render.decode(progress);
    const DriveResult found =
        findDrive(*options.targetLufs,
                  [&](double driveDb) { return render.measure(driveDb, progress)->integrated(); });
    render.result().search = found;
    render.write(found.driveDb, progress);
}

int64_t estimatedWork(int64_t frames, const RenderOptions& options)
{
    return options.targetLufs ? frames * (kTypicalTrials + 2) : frames;
}

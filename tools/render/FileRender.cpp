#include "tools/render/FileRender.h"

#include "analysis/ProcessingResidual.h"
#include "engine/Units.h"
#include "tools/render/DeliveryChain.h"
#include "tools/render/LeastProcessing.h"
#include "tools/render/OutputFile.h"
#include "tools/render/OutputSink.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <future>
#include <thread>

namespace
{
// The trials a drive search usually takes, for the progress bar's estimate.
constexpr int kTypicalTrials = 5;
constexpr int kOutputChannels = 2;
// What a plain gain must leave under the ceiling: the rounding of the scaled samples.
constexpr double kGainCeilingMarginDb = 0.001;
constexpr double kStageStepDb = 0.1;
// Where the renderer chooses the processing, the stage aims one step under the ceiling: it
// holds libebur128's reading, and the 16x meter's reads up to about that much higher.
constexpr double kFirstStageMarginDb = kStageStepDb;
// The second half of a split trial starts this early; inputs shorter than kShortestSplit
// times it are not split.
constexpr double kSettleSeconds = 2.0;
constexpr int64_t kShortestSplit = 5;
// How often a master the renderer processed is rendered again with the stage aimed lower,
// when its true peak went over the ceiling.
constexpr int kMostCeilingRetries = 2;

// Feeds a whole signal to a meter, in pieces.
void measureWhole(LoudnessMeter& meter, const StereoSignal& signal)
{
    constexpr int64_t kPieceFrames = 65536;
    std::vector<float> stereo;
    for (int64_t start = 0; start < signal.frames(); start += kPieceFrames)
    {
        const int64_t frames = std::min(kPieceFrames, signal.frames() - start);
        stereo.resize(size_t(2 * frames));
        for (int64_t i = 0; i < frames; ++i)
        {
            stereo[size_t(2 * i)] = signal.left[size_t(start + i)];
            stereo[size_t(2 * i + 1)] = signal.right[size_t(start + i)];
        }
        meter.add(stereo.data(), size_t(frames));
    }
}

// The report's pictures need the loudness over time.
LoudnessMeter::Scope figuresScope(const RenderOptions& options)
{
    return options.reportPath.empty() ? LoudnessMeter::Scope::everything
                                      : LoudnessMeter::Scope::overTime;
}

OutputFormat chosenFormat(const RenderJob& job, const RenderOptions& options,
                          const SoundFileReader& reader)
{
    if (options.bits != 0 || !job.keepWordLength)
        return outputFormatFor(job.outputPath, options.bits);
    return outputFormatKeeping(job.outputPath, reader.bits());
}
} // namespace

FileRender::FileRender(const RenderJob& job, const RenderOptions& options)
    : options_(options), splitTrials_(job.splitTrials),
      source_(job.inputPath, job.inputName, figuresScope(options)),
      format_(chosenFormat(job, options, source_.reader())),
      stageMarginDb_(options.leastProcessing() ? kFirstStageMarginDb : 0.0)
{
    result_.inputName = job.inputName;
    result_.outputPath = job.outputPath;
    result_.sampleRate = source_.reader().sampleRate();
    result_.channels = source_.reader().channels();
    result_.formatDescription = format_.description;
    result_.integerBits = format_.integerBits;
    result_.ceilingDb = options.ceilingDb;
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
    result_.inputHistory = source_.history();
}

bool FileRender::gainKeepsCeiling(double gainDb) const
{
    if (!options_.ceilingDb)
        return true;
    const double peak =
        gainFromDecibels(result_.input.truePeakDb) * gainFromDecibels(gainDb) + headroom();
    return peak <= gainFromDecibels(*options_.ceilingDb - kGainCeilingMarginDb);
}

void FileRender::lowerStageCeiling()
{
    // How far the output's true peak lay over where the stage aimed: the stage aims that
    // much under the ceiling next.
    const double overshootDb = result_.output.truePeakDb - (*options_.ceilingDb - stageMarginDb_);
    stageMarginDb_ = std::max(stageMarginDb_ + kStageStepDb,
                              std::ceil(overshootDb / kStageStepDb - 1e-9) * kStageStepDb);
}

TrialMeters FileRender::measure(Processing processing, double driveDb, ProgressBar& progress)
{
    const int64_t frames = signal_->frames();
    const int64_t settle = int64_t(kSettleSeconds * result_.sampleRate);
    TrialMeters meters(1);
    if (!splitTrials_ || frames < kShortestSplit * settle)
    {
        meters[0] = measurePart(processing, driveDb, 0, frames, 0, progress);
        return meters;
    }
    meters.resize(2);
    const int64_t half = frames / 2;
    std::exception_ptr failure;
    std::thread second(
        [&]
        {
            try
            {
                meters[1] =
                    measurePart(processing, driveDb, half - settle, frames, settle, progress);
            }
            catch (...)
            {
                failure = std::current_exception();
            }
        });
    try
    {
        meters[0] = measurePart(processing, driveDb, 0, half, 0, progress);
    }
    catch (...)
    {
        second.join();
        throw;
    }
    second.join();
    if (failure)
        std::rethrow_exception(failure);
    return meters;
}

std::unique_ptr<LoudnessMeter> FileRender::measurePart(Processing processing, double driveDb,
                                                       int64_t begin, int64_t end,
                                                       int64_t settleFrames,
                                                       ProgressBar& progress) const
{
    auto meter =
        std::make_unique<LoudnessMeter>(result_.sampleRate, LoudnessMeter::Scope::integratedOnly);
    DeliveryChain chain(options_, processing, result_.sampleRate, driveDb, headroom(),
                        stageMarginDb_, false);
    OutputSink sink(meter.get(), chain.alignmentFrames() + settleFrames, quantizer(), nullptr);
    MemoryStereoSource source(*signal_, begin, end);
    chain.play(source, sink, progress);
    return meter;
}

void FileRender::write(Processing processing, double driveDb, ProgressBar& progress)
{
    SoundFileWriter writer(result_.outputPath, format_, result_.sampleRate, kOutputChannels);
    DeliveryChain chain(options_, processing, result_.sampleRate, driveDb, headroom(),
                        stageMarginDb_, true);
    LoudnessMeter meter(result_.sampleRate, figuresScope(options_));
    if (signal_)
    {
        // The output is measured after the render, beside the residual.
        StereoSignal output;
        OutputSink sink(nullptr, chain.alignmentFrames(), quantizer(), &writer, &output);
        MemoryStereoSource source(*signal_);
        chain.play(source, sink, progress);
        std::future<double> residual =
            std::async(std::launch::async, processingResidualDb,
                       StereoView{signal_->left.data(), signal_->right.data()},
                       StereoView{output.left.data(), output.right.data()},
                       std::min(signal_->frames(), output.frames()), result_.sampleRate);
        measureWhole(meter, output);
        result_.residualDb = residual.get();
    }
    else
    {
        OutputSink sink(&meter, chain.alignmentFrames(), quantizer(), &writer);
        chain.play(source_, sink, progress);
        takeSourceFigures();
    }
    if (!options_.snapshotPath.empty())
        writeSnapshot(chain);
    writer.commit();
    result_.processing = processing;
    result_.driveDb = driveDb;
    result_.output = meter.figures();
    result_.outputHistory = meter.history();
    takeChainFigures(chain);
}

void FileRender::writeSnapshot(const DeliveryChain& chain) const
{
    // Through an OutputFile, so that a failure leaves no picture behind.
    OutputFile picture(options_.snapshotPath);
    if (!chain.host() || !chain.host()->writeSnapshot(picture.temporaryPath()))
        throw RenderError("cannot write the snapshot " + options_.snapshotPath);
    picture.commit();
}

void FileRender::takeChainFigures(const DeliveryChain& chain)
{
    result_.pluginDelay = chain.pluginDelay();
    result_.stageLatency = chain.stageLatency();
    result_.stageGains = chain.stageHistory();
    result_.deepestStageGain = gainFromDecibels(result_.stageGains.largestReductionDb());
    if (!chain.host())
        result_.deepestBandGains = {1.0, 1.0, 1.0}; // no band ran
    else if (chain.host()->hasBandMeters())
    {
        result_.deepestBandGains = chain.host()->deepestBandGains();
        result_.bandGains = chain.bandHistories();
    }
}

double integratedOf(const TrialMeters& meters)
{
    std::vector<const LoudnessMeter*> parts;
    for (const auto& meter : meters)
        parts.push_back(meter.get());
    return LoudnessMeter::jointIntegrated(parts);
}

void renderFile(FileRender& render, const RenderOptions& options, ProgressBar& progress)
{
    if (!options.targetLufs)
    {
        render.write(Processing::plugin, 0.0, progress);
        return;
    }
    render.decode(progress);
    const auto loudnessAt = [&](Processing processing, double driveDb)
    { return integratedOf(render.measure(processing, driveDb, progress)); };
    ProcessingChoice choice{Processing::plugin, {}};
    if (options.leastProcessing())
    {
        const double inputLoudness = render.result().input.integrated;
        const double plainGainDb =
            std::isfinite(inputLoudness) ? *options.targetLufs - inputLoudness : 0.0;
        choice = findLeastProcessing(
            *options.targetLufs, plainGainDb,
            {loudnessAt, [&](double gainDb) { return render.gainKeepsCeiling(gainDb); }});
    }
    else
        choice.search = findDrive(*options.targetLufs, [&](double driveDb)
                                  { return loudnessAt(Processing::plugin, driveDb); });
    render.result().search = choice.search;
    render.write(choice.processing, choice.search.driveDb, progress);
    // The stage holds libebur128's reading and may let the 16x one through a little over.
    for (int retry = 0;
         retry < kMostCeilingRetries && options.leastProcessing() &&
         render.result().processing != Processing::gain && render.result().ceilingMissed();
         ++retry)
    {
        render.lowerStageCeiling();
        const int earlierTrials = choice.search.trials;
        choice.search = findDrive(
            *options.targetLufs,
            [&](double driveDb) { return loudnessAt(choice.processing, driveDb); },
            {.driveDb = choice.search.driveDb, .slope = choice.search.slope, .curveSteps = true});
        choice.search.trials += earlierTrials;
        render.result().search = choice.search;
        render.write(choice.processing, choice.search.driveDb, progress);
    }
}

int64_t estimatedWork(int64_t frames, const RenderOptions& options)
{
    return options.targetLufs ? frames * (kTypicalTrials + 2) : frames;
}

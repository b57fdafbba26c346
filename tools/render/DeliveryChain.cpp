#include "tools/render/DeliveryChain.h"

#include "engine/ControlTable.h"
#include "engine/Units.h"
#include "tools/render/ProgressBar.h"

#include <algorithm>
#include <cmath>

namespace
{
// Frames played at once; rounded to whole host blocks.
constexpr int64_t kChunkFrames = 65536;
constexpr double kEditorTickSeconds = 0.025;

std::unique_ptr<OfflineHost> configuredHost(const RenderOptions& options, int sampleRate,
                                            bool openEditor)
{
    auto host = options.pluginPath.empty() ? std::make_unique<OfflineHost>()
                                           : std::make_unique<OfflineHost>(options.pluginPath);
    host->start(static_cast<float>(sampleRate), options.blockFrames);
    host->selectProgram(options.program);
    for (const ParameterSetting& setting : options.settings)
        host->setParameter(setting.index, setting.value);
    if (options.bypass)
        host->setParameter(kParamBypass, 0.0);
    if (openEditor && !options.snapshotPath.empty())
    {
        host->setParameter(kParamViewerMode, options.spectrumView ? 0.0 : 1.0);
        host->openEditor();
    }
    return host;
}

std::optional<CTruePeakLimiter> stageFor(const RenderOptions& options, int sampleRate)
{
    if (!options.ceilingDb)
        return std::nullopt;
    std::optional<CTruePeakLimiter> stage(std::in_place, sampleRate);
    stage->setCeiling(*options.ceilingDb);
    return stage;
}

float trimFor(const RenderOptions& options, double headroom)
{
    if (!options.ceilingDb || headroom <= 0.0)
        return 1.0f;
    return float(1.0 - headroom / gainFromDecibels(*options.ceilingDb));
}
} // namespace

DeliveryChain::DeliveryChain(const RenderOptions& options, int sampleRate, double driveDb,
                             double headroom, bool openEditor)
    : host_(configuredHost(options, sampleRate, openEditor)), stage_(stageFor(options, sampleRate)),
      blockFrames_(options.blockFrames), raw_(options.raw),
      drive_(float(gainFromDecibels(driveDb))), trim_(trimFor(options, headroom)),
      pluginDelay_(host_->delayFrames()), framesPerTick_(sampleRate * kEditorTickSeconds),
      nextTick_(framesPerTick_)
{
    const int64_t chunk = blockFrames_ * std::max<int64_t>(1, kChunkFrames / blockFrames_);
    const size_t size = size_t(std::max(chunk, alignmentFrames()));
    for (std::vector<float>* buffer : {&inLeft_, &inRight_, &outLeft_, &outRight_})
        buffer->resize(size);
    stereo_.resize(2 * size);
}

int64_t DeliveryChain::alignmentFrames() const
{
    return (raw_ ? 0 : pluginDelay_) + stageLatency();
}

void DeliveryChain::play(StereoSource& source, OutputSink& sink, ProgressBar& progress)
{
    const int64_t chunk = blockFrames_ * std::max<int64_t>(1, kChunkFrames / blockFrames_);
    auto deliver = [&](int64_t frames)
    {
        process(frames);
        for (int64_t i = 0; i < frames; ++i)
        {
            stereo_[size_t(2 * i)] = outLeft_[size_t(i)];
            stereo_[size_t(2 * i + 1)] = outRight_[size_t(i)];
        }
        sink.take(stereo_.data(), frames);
    };
    while (const int64_t frames = source.read(inLeft_.data(), inRight_.data(), chunk))
    {
        deliver(frames);
        progress.advance(frames);
    }
    const int64_t tail = alignmentFrames();
    std::fill_n(inLeft_.begin(), tail, 0.0f);
    std::fill_n(inRight_.begin(), tail, 0.0f);
    deliver(tail);
    host_->stop();
}

void DeliveryChain::process(int64_t frames)
{
    for (int64_t i = 0; i < frames; ++i)
    {
        inLeft_[size_t(i)] *= drive_;
        inRight_[size_t(i)] *= drive_;
    }
    // The plug-in in blocks of the host block size, only the last one shorter.
    for (int64_t offset = 0; offset < frames; offset += blockFrames_)
    {
        const int block = int(std::min<int64_t>(blockFrames_, frames - offset));
        host_->process(&inLeft_[offset], &inRight_[offset], &outLeft_[offset], &outRight_[offset],
                       block);
        played_ += block;
        for (; played_ >= nextTick_; nextTick_ += framesPerTick_)
            host_->idleEditor();
    }
    if (!stage_)
        return;
    stage_->process(outLeft_.data(), outRight_.data(), outLeft_.data(), outRight_.data(),
                    int(frames));
    deepestStageGain_ = std::min(deepestStageGain_, stage_->lowestGainOfLastBlock());
    for (int64_t i = 0; i < frames; ++i)
    {
        outLeft_[size_t(i)] *= trim_;
        outRight_[size_t(i)] *= trim_;
    }
}

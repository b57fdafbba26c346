// The processing of one render: the host's drive, a continuous gain in front of everything;
// the plug-in, set up as the options say or as the renderer's maximizer; and the true-peak
// limiter after it. Every render of a file gets a chain of its own, so that renders at the
// same drive give the same samples.
#pragma once

#include "engine/MeterValues.h"
#include "engine/TruePeakLimiter.h"
#include "tools/render/OfflineHost.h"
#include "tools/render/OutputSink.h"
#include "tools/render/Processing.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/StereoSource.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

class ProgressBar;

// The drive as the chain applies it: a float factor.
float driveGain(double driveDb);

class DeliveryChain
{
  public:
    // headroom: how far (linear) below the ceiling the stage's output is held, for the
    // quantizer's change of the peaks; stageMarginDb: how far below the options' ceiling the
    // stage aims. written: the render that is written, which opens the editor when the
    // options ask for a snapshot and reads the band meters (a trial needs neither). Throws
    // RenderError when the plug-in cannot be loaded or the editor opened.
    DeliveryChain(const RenderOptions& options, Processing processing, int sampleRate,
                  double driveDb, double headroom, double stageMarginDb, bool written);

    // Plays the source through the chain into the sink, then alignmentFrames() of silence,
    // which push out what the delays still hold, and switches the plug-in off. Advances the
    // progress by the source's frames. A chain plays once.
    void play(StereoSource& source, OutputSink& sink, ProgressBar& progress);

    // The output frames to leave out at the start: the plug-in's delay (unless the options
    // ask for the raw output) and the stage's look-ahead.
    int64_t alignmentFrames() const;
    // How far the plug-in delays its output with the settings made; 0 without it.
    int pluginDelay() const { return pluginDelay_; }
    // The stage's look-ahead; 0 without the stage.
    int stageLatency() const { return stage_ ? stage_->latencyFrames() : 0; }
    // The plug-in's host; null when the chain runs no plug-in.
    const OfflineHost* host() const { return host_.get(); }
    bool hasStage() const { return stage_.has_value(); }
    // The stage's gain over time, and each band's when the band meters can be read.
    const GainHistory& stageHistory() const { return stageHistory_; }
    const std::array<GainHistory, kNumBands>& bandHistories() const { return bandHistories_; }

  private:
    // Processes the first frames of the buffers' inputs into their outputs.
    void process(int64_t frames);
    void runPlugin(int64_t frames);
    void runStage(int64_t frames);

    std::unique_ptr<OfflineHost> host_;
    std::optional<CTruePeakLimiter> stage_;
    const int blockFrames_;
    const bool raw_;
    const float drive_;
    const float trim_; // scales the stage's output down by the headroom
    int pluginDelay_;
    const int64_t historyFrames_;
    GainHistory stageHistory_;
    std::array<GainHistory, kNumBands> bandHistories_;
    // An open editor gets a host idle call after every 25 ms of audio.
    const double framesPerTick_;
    double nextTick_;
    int64_t played_ = 0;      // frames through the plug-in
    int64_t stagePlayed_ = 0; // frames through the stage
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_, stereo_;
};

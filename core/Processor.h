// The audio chain of every plug-in edition: the shared audio path (drive, engine, output gain,
// bypass), and, in the editions that report their latency (LV2, CLAP, VST3), a bypass that
// keeps the engine's delay and the true-peak ceiling after it, which switches without a hole
// or a jump. The VST 2.4 edition cannot report a delay: it bypasses undelayed and has no
// ceiling.
#pragma once

#include "core/AudioPath.h"
#include "core/ParameterValues.h"
#include "engine/BypassDelay.h"
#include "engine/CeilingStage.h"

class CProcessor
{
  public:
    enum class Latency
    {
        kUnreported, // VST 2.4
        kReported,
    };

    explicit CProcessor(int sampleRate, Latency latency = Latency::kReported);

    // The parameters, the bypass switch and what the editor reads.
    CAudioPath& audio() { return audio_; }
    const CAudioPath& audio() const { return audio_; }

    // Only while the audio thread does not run; resets as reset() does.
    void setSampleRate(int sampleRate);
    // Clears every running state (a host's activation).
    void reset();
    // The ceiling in dBTP; off where its record says so (below the stage's lowest). Audio thread,
    // between blocks.
    void setCeiling(double dBTP);
    // Applies one setting of the values (a parameter or the ceiling), or all of them, the
    // ceiling last. The ceiling only on the audio thread, between blocks.
    void apply(int index, const CParameterValues& values);
    void applyAll(const CParameterValues& values);

    // Processes one block; the outputs may be the inputs. Audio thread.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);
    // The delay of the last block's output: the engine's, and the ceiling's look-ahead while
    // the ceiling carries the output.
    int latencyFrames() const { return CBypassDelay::kFrames + ceiling_.latencyFrames(); }
    // The delay once the values' ceiling has settled in: what the formats report to hosts.
    // Any thread; the rate is set only while nothing processes.
    int latencyFramesFor(const CParameterValues& values) const;
    // The most latencyFrames() reports at any rate.
    static int largestLatencyFrames();

  private:
    const Latency latency_;
    CAudioPath audio_;
    CBypassDelay bypassDelay_;
    CCeilingStage ceiling_;
};

// The chain of the plug-in editions that report their latency (LV2, and the CLAP and VST3
// editions to come): the shared audio path, a bypass that keeps the engine's delay, and the
// true-peak ceiling after them, which switches without a hole or a jump.
#pragma once

#include "core/AudioPath.h"
#include "engine/BypassDelay.h"
#include "engine/CeilingStage.h"

class CProcessor
{
  public:
    explicit CProcessor(int sampleRate);

    // The parameters, the bypass switch and what the editor reads.
    CAudioPath& audio() { return audio_; }

    // Only while the audio thread does not run; resets as reset() does.
    void setSampleRate(int sampleRate);
    // Clears every running state (a host's activation).
    void reset();
    // The ceiling in dBTP; off where its record says so (below the stage's lowest). Audio thread,
    // between blocks.
    void setCeiling(double dBTP);

    // Processes one block; the outputs may be the inputs. Audio thread.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);
    // The delay of the last block's output: the engine's, and the ceiling's look-ahead while
    // the ceiling carries the output.
    int latencyFrames() const { return CBypassDelay::kFrames + ceiling_.latencyFrames(); }
    // The most latencyFrames() reports at any rate.
    static int largestLatencyFrames();

  private:
    CAudioPath audio_;
    CBypassDelay bypassDelay_;
    CCeilingStage ceiling_;
};

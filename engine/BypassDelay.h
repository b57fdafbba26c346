// The bypass of the plug-in editions that report their latency: the input delayed by the
// engine's own delay, so that the output stays where the host's latency compensation expects it
// whether the engine runs or not. It keeps hearing the input while the engine runs, so that
// switching is seamless.
#pragma once

#include "engine/SafeClip.h"

class CBypassDelay
{
  public:
    static constexpr int kFrames = CSafeClip::kDelayFrames;

    // Silence in the delay line.
    void reset();
    // Takes the input of a block the engine processes; call it before the engine, which may
    // write over the input. Audio thread.
    void listen(const float* inLeft, const float* inRight, int frames);
    // The input kFrames frames late; the outputs may be the inputs. Audio thread.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);

  private:
    float left_[kFrames] = {};
    float right_[kFrames] = {};
    int position_ = 0;
};

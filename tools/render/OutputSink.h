// Where the plug-in's output goes: it leaves out the first frames it is told to drop (the
// plug-in's delay, for an output aligned with its input), measures the rest and writes it.
#pragma once

#include "tools/render/LoudnessMeter.h"
#include "tools/render/SoundFileWriter.h"

#include <cstdint>

class OutputSink
{
  public:
    OutputSink(SoundFileWriter& writer, int sampleRate, int64_t framesToDrop);

    // The next frames of the output, interleaved stereo.
    void take(const float* interleavedStereo, int64_t frames);
    // The figures of everything written so far.
    LoudnessFigures figures() const { return meter_.figures(); }

  private:
    SoundFileWriter& writer_;
    LoudnessMeter meter_;
    int64_t framesToDrop_;
};

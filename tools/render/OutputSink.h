// Where the processed signal goes: it leaves out the first frames it is told to drop (the
// delay of the chain, for an output aligned with its input), reduces the rest to the
// output's word length when that is an integer one, measures it and writes it, or only
// measures it (a trial render of the drive search).
#pragma once

#include "tools/render/LoudnessMeter.h"
#include "tools/render/Quantizer.h"
#include "tools/render/SoundFileWriter.h"
#include "tools/render/StereoSource.h"

#include <cstdint>
#include <optional>

class OutputSink
{
  public:
    // The meter takes what is kept (null: the caller measures the copy); writer: null to
    // measure only; copy: null, or a signal that gets a copy of what is kept.
    OutputSink(LoudnessMeter* meter, int64_t framesToDrop, std::optional<Quantizer> quantizer,
               SoundFileWriter* writer, StereoSignal* copy = nullptr);

    // The next frames of the output, interleaved stereo; quantized in place.
    void take(float* interleavedStereo, int64_t frames);

  private:
    LoudnessMeter* meter_;
    SoundFileWriter* writer_;
    StereoSignal* copy_;
    std::optional<Quantizer> quantizer_;
    int64_t framesToDrop_;
};

#include "tools/render/OutputSink.h"

#include <algorithm>

OutputSink::OutputSink(LoudnessMeter* meter, int64_t framesToDrop,
                       std::optional<Quantizer> quantizer, SoundFileWriter* writer,
                       StereoSignal* copy)
    : meter_(meter), writer_(writer), copy_(copy), quantizer_(quantizer),
      framesToDrop_(framesToDrop)
{
}

void OutputSink::take(float* interleavedStereo, int64_t frames)
{
    const int64_t dropped = std::min(frames, framesToDrop_);
    framesToDrop_ -= dropped;
    frames -= dropped;
    if (frames == 0)
        return;
    float* kept = interleavedStereo + 2 * dropped;
    if (quantizer_)
        quantizer_->process(kept, 2 * frames);
    if (meter_)
        meter_->add(kept, size_t(frames));
    if (writer_)
        writer_->write(kept, frames);
    if (copy_)
        for (int64_t i = 0; i < frames; ++i)
        {
            copy_->left.push_back(kept[2 * i]);
            copy_->right.push_back(kept[2 * i + 1]);
        }
}

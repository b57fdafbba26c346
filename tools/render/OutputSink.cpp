#include "tools/render/OutputSink.h"

#include <algorithm>

OutputSink::OutputSink(SoundFileWriter& writer, int sampleRate, int64_t framesToDrop)
    : writer_(writer), meter_(sampleRate), framesToDrop_(framesToDrop)
{
}

void OutputSink::take(const float* interleavedStereo, int64_t frames)
{
    const int64_t dropped = std::min(frames, framesToDrop_);
    framesToDrop_ -= dropped;
    frames -= dropped;
    if (frames == 0)
        return;
    const float* kept = interleavedStereo + 2 * dropped;
    meter_.add(kept, size_t(frames));
    writer_.write(kept, frames);
}

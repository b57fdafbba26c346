#include "tools/render/LoudnessMeter.h"

#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr unsigned kChannels = 2;

double decibels(double amplitude)
{
    return 20.0 * std::log10(amplitude);
}

// The largest per-channel figure that query gives.
template <typename Query> double largestOfChannels(ebur128_state* state, Query query)
{
    double largest = 0.0;
    for (unsigned channel = 0; channel < kChannels; ++channel)
    {
        double value = 0.0;
        query(state, channel, &value);
        largest = std::max(largest, value);
    }
    return largest;
}
} // namespace

LoudnessMeter::LoudnessMeter(int sampleRate)
    : state_(ebur128_init(kChannels, static_cast<unsigned long>(sampleRate),
                          EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK))
{
    if (!state_)
        throw RenderError("cannot measure loudness at " + std::to_string(sampleRate) + " Hz");
}

LoudnessMeter::~LoudnessMeter()
{
    ebur128_destroy(&state_);
}

void LoudnessMeter::add(const float* interleavedStereo, size_t frames)
{
    if (ebur128_add_frames_float(state_, interleavedStereo, frames) != EBUR128_SUCCESS)
        throw RenderError("out of memory while measuring loudness");
}

LoudnessFigures LoudnessMeter::figures() const
{
    LoudnessFigures figures{};
    figures.samplePeakDb = decibels(largestOfChannels(state_, ebur128_sample_peak));
    figures.truePeakDb = decibels(largestOfChannels(state_, ebur128_true_peak));
    ebur128_loudness_global(state_, &figures.integrated);
    ebur128_loudness_range(state_, &figures.range);
    return figures;
}

std::string loudnessLine(const char* label, const LoudnessFigures& figures)
{
    char line[128];
    std::snprintf(line, sizeof(line), "%-8s %8.2f dBFS %8.2f dBTP %8.2f LUFS %7.2f LU", label,
                  figures.samplePeakDb, figures.truePeakDb, figures.integrated, figures.range);
    return line;
}

#include "tools/render/LoudnessMeter.h"

#include "engine/Units.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
constexpr unsigned kChannels = 2;

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

int modeOf(LoudnessMeter::Scope scope)
{
    return scope == LoudnessMeter::Scope::integratedOnly
               ? EBUR128_MODE_I
               : EBUR128_MODE_I | EBUR128_MODE_S | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK;
}
} // namespace

LoudnessMeter::LoudnessMeter(int sampleRate, Scope scope)
    : state_(ebur128_init(kChannels, static_cast<unsigned long>(sampleRate), modeOf(scope))),
      scope_(scope), historyFrames_(size_t(std::max(1.0, kHistorySeconds * sampleRate))),
      framesToPoint_(historyFrames_)
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
    if (scope_ != Scope::overTime)
    {
        addPiece(interleavedStereo, frames);
        return;
    }
    // In pieces that end at the history's points.
    while (frames > 0)
    {
        const size_t piece = std::min(frames, framesToPoint_);
        addPiece(interleavedStereo, piece);
        interleavedStereo += 2 * piece;
        frames -= piece;
        framesToPoint_ -= piece;
        if (framesToPoint_ > 0)
            continue;
        framesToPoint_ = historyFrames_;
        double momentary = 0.0, shortTerm = 0.0;
        ebur128_loudness_momentary(state_, &momentary);
        ebur128_loudness_shortterm(state_, &shortTerm);
        history_.momentary.push_back(momentary);
        history_.shortTerm.push_back(shortTerm);
    }
}

void LoudnessMeter::addPiece(const float* interleavedStereo, size_t frames)
{
    if (ebur128_add_frames_float(state_, interleavedStereo, frames) != EBUR128_SUCCESS)
        throw RenderError("out of memory while measuring loudness");
    if (scope_ == Scope::integratedOnly)
        return;
    left_.resize(frames);
    right_.resize(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        left_[i] = interleavedStereo[2 * i];
        right_[i] = interleavedStereo[2 * i + 1];
    }
    interSamplePeaks_.add(left_.data(), right_.data(), int(frames));
}

LoudnessFigures LoudnessMeter::figures() const
{
    if (scope_ == Scope::integratedOnly)
    {
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        return {kNone, kNone, integrated(), kNone};
    }
    LoudnessFigures figures{};
    figures.samplePeakDb = decibelsFromGain(largestOfChannels(state_, ebur128_sample_peak));
    // The 16x meter counts the last samples once its interpolation's tail is fed.
    CInterSamplePeakMeter finished = interSamplePeaks_;
    finished.finish();
    figures.truePeakDb =
        std::max(decibelsFromGain(largestOfChannels(state_, ebur128_true_peak)), finished.peakDb());
    figures.integrated = integrated();
    ebur128_loudness_range(state_, &figures.range);
    return figures;
}

double LoudnessMeter::integrated() const
{
    double loudness = 0.0;
    ebur128_loudness_global(state_, &loudness);
    return loudness;
}

double LoudnessMeter::jointIntegrated(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters)
        states.push_back(meter->state_);
    double loudness = -std::numeric_limits<double>::infinity();
    if (!states.empty())
        ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    return loudness;
}

std::string loudnessLine(const char* label, const LoudnessFigures& figures)
{
    char line[128];
    std::snprintf(line, sizeof(line), "%-8s %8.2f dBFS %8.2f dBTP %8.2f LUFS %7.2f LU", label,
                  figures.samplePeakDb, figures.truePeakDb, figures.integrated, figures.range);
    return line;
}

#include "tools/render/LoudnessMeter.h"

#include "engine/Units.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>
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

int loudnessModeOf(LoudnessMeter::Scope scope)
{
    return scope == LoudnessMeter::Scope::integratedOnly
               ? EBUR128_MODE_I
               : EBUR128_MODE_I | EBUR128_MODE_S | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK;
}

void checked(int error)
{
    if (error != EBUR128_SUCCESS)
        throw RenderError("out of memory while measuring loudness");
}
} // namespace

LoudnessMeter::State LoudnessMeter::stateFor(int sampleRate, int mode)
{
    State state(ebur128_init(kChannels, static_cast<unsigned long>(sampleRate), mode));
    if (!state)
        throw RenderError("cannot measure loudness at " + std::to_string(sampleRate) + " Hz");
    return state;
}

LoudnessMeter::LoudnessMeter(int sampleRate, Scope scope)
    : state_(stateFor(sampleRate, loudnessModeOf(scope))),
      truePeakState_(scope == Scope::integratedOnly ? nullptr
                                                    : stateFor(sampleRate, EBUR128_MODE_TRUE_PEAK)),
      scope_(scope), historyFrames_(size_t(std::max(1.0, kHistorySeconds * sampleRate))),
      framesToPoint_(historyFrames_)
{
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::add(const float* interleavedStereo, size_t frames)
{
    if (scope_ == Scope::integratedOnly)
    {
        checked(ebur128_add_frames_float(state_.get(), interleavedStereo, frames));
        return;
    }
    // libebur128's true peak, the dearest of the measures, on a thread of its own meanwhile.
    std::future<int> truePeak = std::async(std::launch::async, ebur128_add_frames_float,
                                           truePeakState_.get(), interleavedStereo, frames);
    addInterSamplePeaks(interleavedStereo, frames);
    addLoudness(interleavedStereo, frames);
    checked(truePeak.get());
}

void LoudnessMeter::addInterSamplePeaks(const float* interleavedStereo, size_t frames)
{
    left_.resize(frames);
    right_.resize(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        left_[i] = interleavedStereo[2 * i];
        right_[i] = interleavedStereo[2 * i + 1];
    }
    interSamplePeaks_.add(left_.data(), right_.data(), int(frames));
}

void LoudnessMeter::addLoudness(const float* interleavedStereo, size_t frames)
{
    if (scope_ != Scope::overTime)
    {
        checked(ebur128_add_frames_float(state_.get(), interleavedStereo, frames));
        return;
    }
    // In pieces that end at the history's points.
    while (frames > 0)
    {
        const size_t piece = std::min(frames, framesToPoint_);
        checked(ebur128_add_frames_float(state_.get(), interleavedStereo, piece));
        interleavedStereo += 2 * piece;
        frames -= piece;
        framesToPoint_ -= piece;
        if (framesToPoint_ > 0)
            continue;
        framesToPoint_ = historyFrames_;
        double momentary = 0.0, shortTerm = 0.0;
        ebur128_loudness_momentary(state_.get(), &momentary);
        ebur128_loudness_shortterm(state_.get(), &shortTerm);
        history_.momentary.push_back(momentary);
        history_.shortTerm.push_back(shortTerm);
    }
}

LoudnessFigures LoudnessMeter::figures() const
{
    if (scope_ == Scope::integratedOnly)
    {
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        return {kNone, kNone, integrated(), kNone};
    }
    LoudnessFigures figures{};
    figures.samplePeakDb = decibelsFromGain(largestOfChannels(state_.get(), ebur128_sample_peak));
    // The 16x meter counts the last samples once its interpolation's tail is fed.
    CInterSamplePeakMeter finished = interSamplePeaks_;
    finished.finish();
    figures.truePeakDb =
        std::max(decibelsFromGain(largestOfChannels(truePeakState_.get(), ebur128_true_peak)),
                 finished.peakDb());
    figures.integrated = integrated();
    ebur128_loudness_range(state_.get(), &figures.range);
    return figures;
}

double LoudnessMeter::integrated() const
{
    double loudness = 0.0;
    ebur128_loudness_global(state_.get(), &loudness);
    return loudness;
}

double LoudnessMeter::jointIntegrated(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters)
        states.push_back(meter->state_.get());
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

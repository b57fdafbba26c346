// Loudness and peak figures of a stereo signal, measured by libebur128; the true peak also by
// the 16x inter-sample peak meter, which reads signals with much content near half the rate
// more precisely than libebur128's 4x interpolation.
#pragma once

#include "analysis/InterSamplePeakMeter.h"

#include <ebur128.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct LoudnessFigures
{
    double samplePeakDb; // dBFS
    double truePeakDb;   // dBTP: the larger reading of libebur128 and the 16x meter
    double integrated;   // LUFS
    double range;        // LU
};

// The momentary and short-term loudness (LUFS; -inf for silence) at the end of every
// LoudnessMeter::kHistorySeconds of a signal.
struct LoudnessHistory
{
    std::vector<double> momentary;
    std::vector<double> shortTerm;
};

class LoudnessMeter
{
  public:
    // What a meter measures: everything, also the loudness over time (for the report's
    // pictures), or only the integrated loudness, which costs a fraction of the true-peak
    // meters' oversampling (the drive search needs no more).
    enum class Scope
    {
        everything,
        overTime,
        integratedOnly
    };

    // Throws RenderError when libebur128 cannot measure at this rate.
    explicit LoudnessMeter(int sampleRate, Scope scope = Scope::everything);
    ~LoudnessMeter();

    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void add(const float* interleavedStereo, size_t frames);
    // The figures of everything added so far; silence gives -inf. An integratedOnly meter
    // gives NaN for the other three.
    LoudnessFigures figures() const;
    // The integrated loudness (LUFS) of everything added so far; silence gives -inf.
    double integrated() const;

    // The integrated loudness of the meters' signals taken together, as of one programme
    // made of them all (an album): the gating runs over the blocks of every meter.
    static double jointIntegrated(const std::vector<const LoudnessMeter*>& meters);

    // The loudness over what was added; empty unless the meter measures overTime.
    static constexpr double kHistorySeconds = 0.1;
    const LoudnessHistory& history() const { return history_; }

  private:
    void addInterSamplePeaks(const float* interleavedStereo, size_t frames);
    void addLoudness(const float* interleavedStereo, size_t frames);

    struct StateDeleter
    {
        void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
    };
    using State = std::unique_ptr<ebur128_state, StateDeleter>;
    static State stateFor(int sampleRate, int mode);

    State state_;         // loudness, loudness range and sample peak
    State truePeakState_; // null for integratedOnly
    Scope scope_;
    CInterSamplePeakMeter interSamplePeaks_;
    std::vector<float> left_, right_;
    size_t historyFrames_; // frames between two history points
    size_t framesToPoint_; // frames still to add before the next point
    LoudnessHistory history_;
};

// One report line: label, then the four figures with their units.
std::string loudnessLine(const char* label, const LoudnessFigures& figures);

// Loudness and peak figures of a stereo signal, measured by libebur128.
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <string>
#include <vector>

struct LoudnessFigures
{
    double samplePeakDb; // dBFS
    double truePeakDb;   // dBTP
    double integrated;   // LUFS
    double range;        // LU
};

class LoudnessMeter
{
  public:
    // What a meter measures: everything, or only the integrated loudness, which costs a
    // fraction of the true-peak meter's oversampling (the drive search needs no more).
    enum class Scope
    {
        everything,
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

  private:
    ebur128_state* state_;
    Scope scope_;
};

// One report line: label, then the four figures with their units.
std::string loudnessLine(const char* label, const LoudnessFigures& figures);

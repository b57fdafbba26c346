// Loudness and peak figures of a stereo signal, measured by libebur128.
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <string>

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
    // Throws RenderError when libebur128 cannot measure at this rate.
    explicit LoudnessMeter(int sampleRate);
    ~LoudnessMeter();

    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void add(const float* interleavedStereo, size_t frames);
    // The figures of everything added so far; silence gives -inf.
    LoudnessFigures figures() const;

  private:
    ebur128_state* state_;
};

// One report line: label, then the four figures with their units.
std::string loudnessLine(const char* label, const LoudnessFigures& figures);

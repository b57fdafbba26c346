// CClipGain: the gain of one channel of the output stage's soft clipper: the static gain of
// its knee for a look-ahead level, with an instant attack and a fast release.
#pragma once

#include "engine/SoftKnee.h"
#include "engine/Units.h"

// The release time: 12 samples at 44100 Hz.
constexpr double kClipReleaseMs = 0.27210885286331177;

// A new gain runs at kDefaultSampleRate with release kClipReleaseMs, the default knee and gain 1.
// It is audio-side state: configure it only while nothing processes.
class CClipGain
{
  public:
    CClipGain();

    // Stores the rate and recomputes the release coefficient. A rate that is not positive is
    // ignored.
    void setSampleRate(int rate);
    // Stores the release time (ms) and recomputes the release coefficient. A time that is not
    // finite is ignored.
    void setRelease(double ms);
    // Gain 1.
    void reset() { gain_ = 1.0; }

    CSoftKnee& knee() { return knee_; }
    const CSoftKnee& knee() const { return knee_; }

    // The smoothed gain for a look-ahead level: it falls to the static gain at once and its
    // reciprocal moves toward the static gain's reciprocal with the release coefficient.
    double gainFor(double level)
    {
        const double target = knee_.staticGain(level);
        if (target < gain_)
        {
            gain_ = target;
        }
        else
        {
            gain_ = 1.0 / (release_ / gain_ + oneMinusRelease_ / target);
        }
        return gain_;
    }

    double gain() const { return gain_; }
    double releaseCoefficient() const { return release_; }

  private:
    void computeRelease();

    int sampleRate_ = kDefaultSampleRate;
    CSoftKnee knee_;
    double gain_ = 1.0;
    double releaseMs_ = kClipReleaseMs;
    double release_ = 0.0; // coefficient aR
    double oneMinusRelease_ = 1.0;
};

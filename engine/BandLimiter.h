// CBandLimiter: the peak limiter of one band. Once per sample it turns the band's level into a
// smoothed gain: a hard threshold, a one-pole attack toward lower gains and a release that
// smooths the reciprocal of the gain toward higher ones.
#pragma once

#include "engine/SettingsExchange.h"
#include "engine/Units.h"

// A new limiter runs at kDefaultSampleRate with threshold 0 dB, attack 1 ms, release 50 ms, band
// gain 0 dB, smoothed gain 1. A setter given a value that is not finite ignores it.
//
// Threads: the setters may be called on any thread while the audio thread processes; each
// publishes the whole coefficient set, and the audio thread takes the newest with
// `pullSettings` once per chunk, before the chunk's `process` calls. `setSampleRate` and
// `reset` are called only while nothing processes.
class CBandLimiter
{
  public:
    CBandLimiter();

    // Threshold in dB relative to full scale.
    void setThreshold(double dB);
    void setAttack(double ms);
    void setRelease(double ms);
    // The band's make-up gain, dB.
    void setGain(double dB);
    // Recomputes both coefficient pairs from the stored times. A rate that is not positive is
    // ignored.
    void setSampleRate(int rate);
    // Detector level 0, smoothed gain 1.
    void reset();

    // Audio thread: takes the newest published settings, if any.
    void pullSettings() { settings_.pull(active_); }

    // Audio thread: one sample's level (the larger magnitude of the band's two channels) in,
    // the smoothed gain out.
    double process(double level)
    {
        level_ = level;
        // Hard limiting: the static gain brings a level above the threshold down to it.
        const double target = level <= active_.threshold ? 1.0 : active_.threshold / level;
        if (target < gain_)
        {
            gain_ = target * active_.oneMinusAttack + gain_ * active_.attack;
        }
        else
        {
            gain_ = 1.0 / (active_.oneMinusRelease / target + active_.release / gain_);
        }
        return gain_;
    }

    // Audio thread: the linear make-up gain of the settings in use.
    double bandGain() const { return active_.bandGain; }
    // Audio thread: the running state.
    double smoothedGain() const { return gain_; }
    double detectorLevel() const { return level_; }

  private:
    struct Settings
    {
        int sampleRate = kDefaultSampleRate;
        double threshold = 1.0; // linear
        double attackMs = 1.0;
        double releaseMs = 50.0;
        double attack = 0.0; // coefficient aA
        double oneMinusAttack = 1.0;
        double release = 0.0; // coefficient aR
        double oneMinusRelease = 1.0;
        double bandGain = 1.0; // linear
    };

    static Settings initialSettings();
    static void computeCoefficients(Settings& s);

    SettingsExchange<Settings> settings_;
    // Audio side: the settings in use and the running state.
    Settings active_;
    double gain_ = 1.0;
    double level_ = 0.0;
};

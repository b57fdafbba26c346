// CCrossover: the low-pass pair (left and right) that one crossover of the band split runs.
#pragma once

#include "engine/IIR.h"
#include "engine/SettingsExchange.h"
#include "engine/Units.h"

// The design frequency for a crossover setting f (Hz) at `sampleRate`:
// f0 = 6.8 / sqrt(1/f^2 + 50/(fs/2)^2), about 6.8 f for low settings and always below
// 0.9617 of half the rate. The strongly overdamped low-pass at f0 is about -2.8 dB at f.
double designFrequency(double setting, int sampleRate);

// Both channels always share one low-pass design (Q 0.15). A new crossover runs at
// kDefaultSampleRate with the neutral design of a new CIIR, which passes the signal through.
//
// Threads: `setCrossover` and `setCutoff` may be called on any thread while another processes;
// both channels' coefficients are published as one set, which `process` picks up at its start.
// `setSampleRate` and `clear` touch the history: call them only while nothing processes.
class CCrossover
{
  public:
    CCrossover();

    // Stores the setting (Hz) and designs both filters at its design frequency at the rate in
    // force, keeping the history. A setting without a positive design frequency is ignored.
    void setCrossover(double settingHz);

    // Designs both filters as low-pass at `frequency` with Q 0.15, keeping the history, and
    // forgets the stored setting. A frequency that is not positive is ignored; one above the
    // highest design frequency (0.9617 of half the rate) is lowered to it, so the low-pass
    // stays stable.
    void setCutoff(double frequency);

    // Redesigns both filters at `rate` and clears their history. The design frequency is
    // recomputed from the stored setting, because the one computed for a higher rate can lie
    // above the new half rate, where the low-pass is unstable. A rate that is not positive is
    // ignored.
    void setSampleRate(int rate);

    // Zeroes both filters' history.
    void clear();

    // Low-passes n frames of the left and right input into the left and right output; an
    // output may be the same array as its input. Audio thread.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int n);

    // `process` of two crossovers over the same input in one pass, with the same results:
    // their four feedback chains overlap, which takes about 40 % less time than two passes.
    // Audio thread.
    static void processPair(CCrossover& first, CCrossover& second, const float* inLeft,
                            const float* inRight, float* firstLeft, float* firstRight,
                            float* secondLeft, float* secondRight, int n);

  private:
    struct Settings
    {
        int sampleRate = kDefaultSampleRate;
        bool hasSetting = false;
        double setting = 0.0; // Hz, valid while hasSetting
        FilterDesign design;
        BiquadCoefficients coefficients;
    };

    static Settings neutralSettings();
    static void designLowPass(Settings& s, double frequency);

    SettingsExchange<Settings> settings_;
    // Audio side: the set in use and the two histories.
    Settings active_;
    BiquadHistory left_;
    BiquadHistory right_;
};

// CIIR: a second-order IIR filter (biquad) with the eight Audio EQ Cookbook designs, and the
// pieces it is built from, which the crossovers share.
#pragma once

#include "engine/SettingsExchange.h"
#include "engine/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

enum class FilterType : int
{
    LowPass = 0,
    HighPass = 1,
    BandPass = 2,          // 0 dB peak gain
    BandPassPeakGainQ = 3, // peak gain Q
    Peaking = 4,
    Notch = 5,
    LowShelf = 6,
    HighShelf = 7,
};

// What a design is made from. For the shelves `q` holds the shelf slope S.
struct FilterDesign
{
    double sampleRate = kDefaultSampleRate;
    FilterType type = FilterType::Peaking;
    double frequency = 1000.0; // Hz
    double gain = 0.0;         // dB, used by the peaking and shelving designs
    double q = 3.0;
};

// Coefficients divided by a0; the default passes the signal unchanged.
struct BiquadCoefficients
{
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

// The coefficients of a design. A design that yields no finite coefficients (an unknown type,
// a zero sample rate, a shelf slope of 0, a0 = 0) gives the pass-through set.
BiquadCoefficients designCoefficients(const FilterDesign& design);

// Direct Form I history and the step that runs it.
struct BiquadHistory
{
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;

    // One sample in double arithmetic. The output is rounded to float and the feedback uses
    // the rounded value. An output at or below the smallest normal float is stored as exact
    // zero, sample by sample, so that a decaying tail ends in silence instead of a denormal
    // limit cycle, and the result does not depend on where a run of samples ends. An output
    // beyond the float range saturates, so that no infinity ever enters the feedback.
    float step(const BiquadCoefficients& k, float in)
    {
        constexpr double kLargest = std::numeric_limits<float>::max();
        const double x = in;
        const double exact = k.b0 * x + k.b1 * x1 + k.b2 * x2 - k.a1 * y1 - k.a2 * y2;
        float y = static_cast<float>(std::clamp(exact, -kLargest, kLargest));
        if (std::fabs(y) <= std::numeric_limits<float>::min())
        {
            y = 0.0f;
        }
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// A biquad for one channel. A new filter runs at kDefaultSampleRate with the peaking design at 1000
// Hz, 0 dB and Q 3, which passes the signal through (its terms cancel up to rounding).
//
// Threads: the design operations may be called on any thread while another processes; each
// publishes its coefficient set as a whole and `process` picks up the newest one at its start.
// `design`, `setSampleRate` and `clear` also clear the history: call them only while nothing
// processes.
class CIIR
{
  public:
    CIIR();

    // Designs `type` and clears the history. `gain` is used only by the designs that have one.
    void design(double frequency, double q, double gain, FilterType type);

    // One design each, keeping the history and the stored values the design does not use.
    void lowPass(double frequency, double q);
    void highPass(double frequency, double q);
    void bandPass(double frequency, double q);
    void bandPassPeakGainQ(double frequency, double q);
    void peaking(double frequency, double q, double gainDb);
    void notch(double frequency, double q);
    void lowShelf(double frequency, double slope, double gainDb);
    void highShelf(double frequency, double slope, double gainDb);

    // Redesigns the stored design at `rate` and clears the history. A rate that is not
    // positive is ignored.
    void setSampleRate(double rate);

    // Zeroes the history.
    void clear();

    // Filters n samples; `in` and `out` may be the same array. Audio thread.
    void process(const float* in, float* out, int n);

  private:
    struct Settings
    {
        FilterDesign design;
        BiquadCoefficients coefficients;
    };

    template <typename Edit> void redesign(Edit&& edit);

    SettingsExchange<Settings> settings_;
    // Audio side: the set in use and the history.
    Settings active_;
    BiquadHistory history_;
};

// Turns the peak power of the two spectrum analysers into the curves of the spectrum view:
// 1/24-octave bands, decibels, a tilt about 1 kHz, a smoothed fall and line-segment vertices
// in the plot's pixel coordinates. Editor thread only.
#pragma once

#include "analysis/NaturalSpline.h"
#include "analysis/SpectrumAnalyzer.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Where the curves go: the plot's top-left pixel, the columns spanned by the frequency range,
// the rows spanned by the level range, and that range in dB.
struct SpectrumPlot
{
    int left;
    int top;
    int width;
    int height;
    float bottomLevel;
    float topLevel;
};

enum class SpectrumCurve
{
    source,
    output
};

class CSpectrumReducer
{
  public:
    static constexpr float kLowestFrequency = 20.0f; // Hz
    static constexpr float kSlope = 4.0f;            // dB per octave

    struct Point
    {
        int32_t x;
        int32_t y;
    };

    struct Band
    {
        int column;      // pixel column of the centre frequency
        int splineStart; // first of the four spline knots; 0: the band takes its bins' maximum
        int endBin;      // one past the last bin of the band
        float frequency; // upper edge, Hz
        float centreBin; // centre frequency in bins
        float centre;    // geometric centre of the band, Hz
        float logCentre; // ln(centre)
        float tilt;      // dB added for the slope about 1 kHz
    };

    // Covers kLowestFrequency to half the sample rate with kSlope; both curves start reset.
    CSpectrumReducer(const SpectrumPlot& plot, int sampleRate);

    void setLevelRange(float bottom, float top);

    // Rebuilds the bands for the range and the slope; both curves start reset. A range that is
    // not finite, not positive or upside down holds no band.
    void setFrequencyRange(float low, float high, float slope);

    // A new rate: the range becomes kLowestFrequency (or the current low end) to rate / 2.
    void sampleRateChanged(int sampleRate);

    // Reduces the analyser's peak power into the curve and returns true, or returns false and
    // changes nothing when the analyser has no new data.
    bool updateCurve(CSpectrumAnalyzer& analyzer, SpectrumCurve curve);

    // Drops both curves to 1 dB below the plot.
    void resetCurves();

    // The view's mappings: a frequency to its pixel column, a level in dB to its pixel row.
    int column(float frequency) const;
    int row(float level) const;

    int capacity() const { return capacity_; }
    int firstBin() const { return firstBin_; }
    std::span<const Band> bands() const { return {bands_.data(), static_cast<size_t>(bandCount_)}; }

    // Displayed level of each band in dB, tilt included.
    std::span<const float> levels(SpectrumCurve curve) const;

    // The curve as line segments: points 2k and 2k + 1 run from band k to band k + 1.
    std::span<const Point> segments(SpectrumCurve curve) const;

  private:
    struct Curve
    {
        std::vector<float> smoothing;
        std::vector<Point> vertices;
    };

    void computeCapacity();
    void buildBands();
    void fillBinLogFrequencies();
    float bandLevel(const Band& band, int& cursor, int& fittedStart);
    double binFrequency(int bin) const;

    SpectrumPlot plot_;
    int sampleRate_;
    float low_ = kLowestFrequency;
    float high_;
    float slope_ = kSlope;
    float logLow_ = 0.0f;
    float columnsPerLog_ = 0.0f;
    int capacity_ = 0;
    int bandCount_ = 0;
    int firstBin_ = 0;
    std::vector<Band> bands_;
    std::array<Curve, 2> curves_;
    std::vector<float> binLogFrequency_;
    std::vector<float> peak_;
    CNaturalSpline spline_;
};

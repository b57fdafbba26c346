#include "analysis/SpectrumReducer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{
constexpr int kFrameSize = CSpectrumAnalyzer::kFrameSize;
constexpr int kBins = CSpectrumAnalyzer::kBins;
constexpr float kSilenceDb = -379.29779f; // 10 log10 of the smallest normal float
constexpr float kLogOfNonPositive = -999.0f;

// Band edges are 1/24 octave apart; a band is drawn at its geometric centre, 1/48 octave below
// its upper edge.
const float kBandRatio = std::pow(2.0f, 1.0f / 24.0f);
const float kCentreRatio = std::pow(2.0f, -1.0f / 48.0f);

float logOf(float x)
{
    return x > 0.0f ? std::log(x) : kLogOfNonPositive;
}

float decibels(float power)
{
    if (!(power > FLT_MIN))
        return kSilenceDb;
    return 10.0f * std::log10(std::min(power, FLT_MAX));
}

// Pixel positions add 0.5 and truncate toward zero; absurd values are held to a range that
// cannot overflow.
int toPixel(float position)
{
    constexpr float kLimit = 1.0e6f;
    if (!(position > -kLimit))
        return static_cast<int>(-kLimit);
    return static_cast<int>(std::min(position + 0.5f, kLimit));
}
} // namespace

CSpectrumReducer::CSpectrumReducer(const SpectrumPlot& plot, int sampleRate)
    : plot_(plot), sampleRate_(sampleRate), high_(static_cast<float>(sampleRate) * 0.5f),
      peak_(kBins, 0.0f)
{
    fillBinLogFrequencies();
    setFrequencyRange(kLowestFrequency, high_, kSlope);
}

void CSpectrumReducer::setLevelRange(float bottom, float top)
{
    plot_.bottomLevel = bottom;
    plot_.topLevel = top;
}

void CSpectrumReducer::sampleRateChanged(int sampleRate)
{
    sampleRate_ = sampleRate;
    fillBinLogFrequencies();
    setFrequencyRange(low_, static_cast<float>(sampleRate) * 0.5f, slope_);
}

void CSpectrumReducer::setFrequencyRange(float low, float high, float slope)
{
    low_ = low;
    high_ = high;
    slope_ = slope;
    logLow_ = logOf(low);
    columnsPerLog_ = high > low ? static_cast<float>(plot_.width) / (logOf(high) - logLow_) : 0.0f;
    computeCapacity();
    bands_.assign(capacity_, Band{});
    for (Curve& curve : curves_)
    {
        curve.smoothing.assign(capacity_, 0.0f);
        curve.vertices.assign(2 * capacity_, Point{});
    }
    buildBands();
    // The smoothing starts from a defined level rather than whatever the allocation held.
    resetCurves();
}

void CSpectrumReducer::computeCapacity()
{
    // The lowest 1/24-octave step of 440 Hz not below 20 Hz, and the highest not above half
    // the rate. Held in double: the capacity lands right on an integer and single precision
    // would truncate it to one less.
    const int half = sampleRate_ / 2;
    double lowest = 440.0;
    while (lowest / kBandRatio >= 20.0)
        lowest /= kBandRatio;
    double highest = half;
    if (lowest <= half)
    {
        highest = lowest;
        while (highest * kBandRatio <= half)
            highest *= kBandRatio;
    }
    const double ratio = highest / lowest;
    const double octaves = (ratio > 0.0 ? std::log(ratio) : kLogOfNonPositive) / std::log(2.0);
    capacity_ = std::max(0, static_cast<int>(24.0 * octaves + 64.0));
}

double CSpectrumReducer::binFrequency(int bin) const
{
    return static_cast<double>(sampleRate_) * bin / kFrameSize;
}

void CSpectrumReducer::buildBands()
{
    bandCount_ = 0;
    firstBin_ = 0;
    const bool usable = sampleRate_ > 0 && std::isfinite(low_) && std::isfinite(high_) &&
                        std::isfinite(slope_) && low_ > 0.0f;
    if (!usable)
        return;
    // The last bin below the lowest band frequency; band 0 also takes the bins from it on.
    while (firstBin_ + 1 < kBins && binFrequency(firstBin_ + 1) < low_)
        ++firstBin_;
    const float rate = static_cast<float>(sampleRate_);
    float frequency = low_;
    int bin = firstBin_;
    while (frequency <= high_ && bandCount_ < capacity_)
    {
        // A band covers the bins in (previous edge, frequency]; when there is none it is
        // interpolated from the four bins around its centre.
        bool crossed = false;
        while (bin < kFrameSize && binFrequency(bin) <= frequency)
        {
            ++bin;
            crossed = true;
        }
        Band& band = bands_[bandCount_++];
        band.frequency = frequency;
        band.endBin = bin;
        band.centre = frequency * kCentreRatio;
        band.logCentre = logOf(band.centre);
        band.centreBin = kFrameSize * band.centre / rate;
        band.column = column(band.centre);
        const int nearBelow = std::max(1, static_cast<int>(band.centreBin) - 1);
        band.splineStart = crossed ? 0 : std::min(nearBelow, kBins - CNaturalSpline::kKnots);
        band.tilt = slope_ * logOf(band.centre * 0.001f) / std::log(2.0f);
        frequency *= kBandRatio;
    }
}

void CSpectrumReducer::fillBinLogFrequencies()
{
    binLogFrequency_.assign(kBins, 0.0f);
    for (int k = 1; k < kBins; ++k)
        binLogFrequency_[k] = logOf(static_cast<float>(binFrequency(k)));
}

int CSpectrumReducer::column(float frequency) const
{
    return toPixel((logOf(frequency) - logLow_) * columnsPerLog_ + static_cast<float>(plot_.left));
}

int CSpectrumReducer::row(float level) const
{
    const float span = plot_.topLevel - plot_.bottomLevel;
    if (span == 0.0f)
        return plot_.top;
    return toPixel(static_cast<float>(plot_.top) +
                   (plot_.topLevel - level) * static_cast<float>(plot_.height) / span);
}

void CSpectrumReducer::resetCurves()
{
    for (Curve& curve : curves_)
    {
        std::fill(curve.smoothing.begin(), curve.smoothing.end(), plot_.bottomLevel - 1.0f);
        std::fill(curve.vertices.begin(), curve.vertices.end(), Point{});
    }
}

float CSpectrumReducer::bandLevel(const Band& band, int& cursor, int& fittedStart)
{
    if (band.splineStart != 0)
    {
        // Consecutive bands between the same bins share one fit.
        if (band.splineStart != fittedStart)
        {
            std::array<float, CNaturalSpline::kKnots> x;
            std::array<float, CNaturalSpline::kKnots> y;
            for (int k = 0; k < CNaturalSpline::kKnots; ++k)
            {
                x[k] = binLogFrequency_[band.splineStart + k];
                y[k] = decibels(peak_[band.splineStart + k]);
            }
            spline_.fit(x, y);
            fittedStart = band.splineStart;
        }
        return spline_.evaluate(band.logCentre);
    }
    float power = 0.0f;
    const int end = std::min(band.endBin, kBins);
    for (int b = cursor; b < end; ++b)
        power = std::max(power, peak_[b]);
    cursor = std::max(cursor, band.endBin);
    return decibels(power);
}

bool CSpectrumReducer::updateCurve(CSpectrumAnalyzer& analyzer, SpectrumCurve which)
{
    if (!analyzer.takePeakPower(std::span<float, kBins>(peak_.data(), kBins)))
        return false;
    Curve& curve = curves_[static_cast<int>(which)];
    const float floor = plot_.bottomLevel - 1.0f;
    int cursor = firstBin_;
    int fittedStart = 0;
    for (int i = 0; i < bandCount_; ++i)
    {
        const Band& band = bands_[i];
        const float level = bandLevel(band, cursor, fittedStart) + band.tilt;
        // Rises at once, falls by 15 % of the gap per tick.
        float& shown = curve.smoothing[i];
        if (shown < plot_.bottomLevel)
            shown = floor;
        shown = level > shown ? level : level * 0.14999998f + shown * 0.85f;
        curve.vertices[2 * i] = {band.column, row(shown)};
    }
    for (int k = 0; k + 1 < bandCount_; ++k)
        curve.vertices[2 * k + 1] = curve.vertices[2 * k + 2];
    // Band 0's centre lies just left of the plot: the curve starts at the plot's left edge.
    if (bandCount_ >= 2)
        curve.vertices[0] = {plot_.left, curve.vertices[2].y};
    return true;
}

std::span<const float> CSpectrumReducer::levels(SpectrumCurve which) const
{
    return {curves_[static_cast<int>(which)].smoothing.data(), static_cast<size_t>(bandCount_)};
}

std::span<const CSpectrumReducer::Point> CSpectrumReducer::segments(SpectrumCurve which) const
{
    const int points = bandCount_ >= 2 ? 2 * (bandCount_ - 1) : 0;
    return {curves_[static_cast<int>(which)].vertices.data(), static_cast<size_t>(points)};
}

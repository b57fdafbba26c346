// The spectrum viewer: the source and total-output spectra over a logarithmic frequency axis
// and a dB axis, with grid, labels, legend and frame. It draws only while the effect shows
// the spectrum. Editor thread only.
#pragma once

#include <string>
#include <vector>

#include "analysis/SpectrumReducer.h"
#include "editor/CGRAP.h"

class PublishedState;
class CSpectrumAnalyzer;

class CFRGRAP : public CGRAP
{
  public:
    // Takes the sample rate from the analyser; starts with the level range -160 .. 10 dB in
    // 10 dB steps and the frequencies 20 Hz to half the rate. Without an effect or an
    // analyser the view draws nothing.
    CFRGRAP(const CRect& size, CBitmap* background, PublishedState* effect,
            CSpectrumAnalyzer* analyzer, CControlListener* listener);

    // The level at the plot's bottom and top in dB, and the spacing of the level grid lines
    // below the top. Ignored unless all three are finite and the step is positive.
    void setLevelRange(float bottom, float top, float step);
    // The frequency axis in Hz and the reduction's slope in dB per octave; rebuilds the bands
    // and the frequency grid and resets both curves.
    void setFrequencyRange(float low, float high, float slope);
    // The axis ends at half the new rate.
    void sampleRateChanged(int sampleRate);
    // Reduces the analyser's new data into the curve; true when the curve changed.
    bool updateCurve(CSpectrumAnalyzer& analyzer, SpectrumCurve curve);
    // Drops both curves to just below the plot.
    void resetCurves();

    void draw(CDrawContext* context) override;

  private:
    struct Label
    {
        CRect box;
        std::string text;
    };

    void buildFrequencyGrid();
    void drawLabels(CDrawContext* context, const std::vector<Label>& labels,
                    CHoriTxtAlign alignment);
    void drawCurve(CDrawContext* context, SpectrumCurve curve, const CColor& colour);
    // After a change of the curves' geometry the next new data counts as a change.
    void forgetReportedCurves();

    PublishedState* effect_;
    CSpectrumAnalyzer* analyzer_;
    float low_;
    float high_;
    float slope_ = CSpectrumReducer::kSlope;
    CSpectrumReducer reducer_;
    // The vertices of each curve as updateCurve last reported them changed.
    std::vector<CSpectrumReducer::Point> reportedCurves_[2];
    std::vector<CPoint> levelGrid_;
    std::vector<Label> levelLabels_;
    std::vector<CPoint> frequencyGrid_;
    std::vector<Label> frequencyLabels_;
};

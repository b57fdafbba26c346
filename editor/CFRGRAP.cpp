#include "editor/CFRGRAP.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/SpectrumAnalyzer.h"
#include "core/PublishedState.h"
#include "gui/CDrawContext.h"

namespace
{
struct GridFrequency
{
    float hertz;
    bool longLine; // reaches 2 pixels beyond the frame at both ends
    bool labelled;
};

constexpr GridFrequency kGridFrequencies[] = {
    {20, false, true},     {30, false, false},   {40, false, false},   {50, true, true},
    {60, false, false},    {70, false, false},   {80, false, false},   {90, false, false},
    {100, true, true},     {200, false, false},  {300, false, false},  {400, false, false},
    {500, true, true},     {600, false, false},  {700, false, false},  {800, false, false},
    {900, false, false},   {1000, true, true},   {2000, false, false}, {3000, false, false},
    {4000, false, false},  {5000, true, true},   {6000, false, false}, {7000, false, false},
    {8000, false, false},  {9000, false, false}, {10000, true, true},  {20000, false, true},
    {30000, false, false}, {40000, false, true},
};

constexpr int32_t kLongLineReach = 2;
// A label starts 12 pixels left of its line, except the first, which would leave the view.
constexpr int32_t kFrequencyLabelShift = 12;
constexpr int32_t kFrequencyLabelWidth = 31;
constexpr int32_t kLevelLabelWidth = 28;
constexpr int32_t kLevelLabelHalfHeight = 5;

constexpr int kLegendLineHeight = 12;
constexpr int kLegendInset = 4;

constexpr float kStartBottomDb = -160.0f;
constexpr float kStartTopDb = 10.0f;
constexpr float kStartStepDb = 10.0f;

constexpr CColor kGridColour{104, 160, 182, 255};
constexpr CColor kSourceColour{128, 255, 128, 255};
constexpr CColor kOutputColour{255, 69, 62, 255};

std::string frequencyText(float hertz)
{
    char text[16];
    if (hertz < 1000.0f)
        std::snprintf(text, sizeof text, "%dHz", static_cast<int>(hertz));
    else
        std::snprintf(text, sizeof text, "%dkHz", static_cast<int>(hertz * 0.001f));
    return text;
}

std::string levelText(float value)
{
    if (value >= 0.0f)
        return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
    return text;
}
} // namespace

CFRGRAP::CFRGRAP(const CRect& size, CBitmap* background, PublishedState* effect,
                 CSpectrumAnalyzer* analyzer, CControlListener* listener)
    : CGRAP(size, listener, background), effect_(effect), analyzer_(analyzer),
      low_(CSpectrumReducer::kLowestFrequency),
      high_(analyzer != nullptr ? static_cast<float>(analyzer->sampleRate()) * 0.5f : 0.0f),
      reducer_({plot_.left, plot_.top, plotWidth_, plotHeight_, kStartBottomDb, kStartTopDb},
               analyzer != nullptr ? analyzer->sampleRate() : 0)
{
    setLevelRange(kStartBottomDb, kStartTopDb, kStartStepDb);
    setFrequencyRange(low_, high_, slope_);
}

void CFRGRAP::setLevelRange(float bottom, float top, float step)
{
    if (!std::isfinite(bottom) || !std::isfinite(top) || !std::isfinite(step) || !(step > 0.0f))
        return;
    reducer_.setLevelRange(bottom, top);
    forgetReportedCurves();
    levelGrid_.clear();
    levelLabels_.clear();
    // Lines closer than a row apart show nothing more: at most one per row.
    for (int32_t k = 0; k <= plotHeight_; ++k)
    {
        const float level = top - static_cast<float>(k) * step;
        if (level < bottom)
            break;
        const int32_t y = reducer_.row(level);
        levelLabels_.push_back({{plot_.left - kLevelLabelWidth, y - kLevelLabelHalfHeight,
                                 plot_.left, y + kLevelLabelHalfHeight},
                                levelText(-static_cast<float>(k) * step)});
        // The top of the range is the frame's top line; the grid starts one step below.
        if (k > 0 && y < plot_.bottom)
        {
            levelGrid_.push_back({plot_.left, y});
            levelGrid_.push_back({plot_.right, y});
        }
    }
}

void CFRGRAP::setFrequencyRange(float low, float high, float slope)
{
    low_ = low;
    high_ = high;
    slope_ = slope;
    reducer_.setFrequencyRange(low, high, slope);
    forgetReportedCurves();
    buildFrequencyGrid();
}

void CFRGRAP::sampleRateChanged(int sampleRate)
{
    high_ = static_cast<float>(sampleRate) * 0.5f;
    reducer_.sampleRateChanged(sampleRate);
    forgetReportedCurves();
    buildFrequencyGrid();
}

void CFRGRAP::buildFrequencyGrid()
{
    frequencyGrid_.clear();
    frequencyLabels_.clear();
    if (!std::isfinite(low_) || !std::isfinite(high_))
        return;
    for (const GridFrequency& row : kGridFrequencies)
    {
        if (row.hertz < low_)
            continue;
        if (row.hertz > high_)
            break;
        const int32_t x = reducer_.column(row.hertz);
        const int32_t reach = row.longLine ? kLongLineReach : 0;
        frequencyGrid_.push_back({x, plot_.top - reach});
        frequencyGrid_.push_back({x, plot_.bottom + reach});
        if (row.labelled)
        {
            const bool tableStart = &row == &kGridFrequencies[0];
            const int32_t anchor = tableStart ? x : x - kFrequencyLabelShift;
            frequencyLabels_.push_back({{anchor + 1, plot_.bottom + 2,
                                         anchor + 1 + kFrequencyLabelWidth, plot_.bottom + 12},
                                        frequencyText(row.hertz)});
        }
    }
}

// New data often leaves every vertex where it was (a steady or a silent input): then the
// screen would show nothing new.
bool CFRGRAP::updateCurve(CSpectrumAnalyzer& analyzer, SpectrumCurve curve)
{
    if (!reducer_.updateCurve(analyzer, curve))
        return false;
    const auto vertices = reducer_.segments(curve);
    std::vector<CSpectrumReducer::Point>& reported = reportedCurves_[static_cast<int>(curve)];
    const auto same = [](const CSpectrumReducer::Point& a, const CSpectrumReducer::Point& b)
    { return a.x == b.x && a.y == b.y; };
    if (std::equal(vertices.begin(), vertices.end(), reported.begin(), reported.end(), same))
        return false;
    reported.assign(vertices.begin(), vertices.end());
    return true;
}

void CFRGRAP::forgetReportedCurves()
{
    for (std::vector<CSpectrumReducer::Point>& reported : reportedCurves_)
        reported.clear();
}

void CFRGRAP::resetCurves()
{
    reducer_.resetCurves();
    forgetReportedCurves();
}

void CFRGRAP::drawLabels(CDrawContext* context, const std::vector<Label>& labels,
                         CHoriTxtAlign alignment)
{
    for (const Label& label : labels)
        drawText(context, label.text.c_str(), label.box, alignment);
}

void CFRGRAP::drawCurve(CDrawContext* context, SpectrumCurve curve, const CColor& colour)
{
    context->setFrameColor(colour);
    const auto points = reducer_.segments(curve);
    for (size_t k = 0; k + 1 < points.size(); k += 2)
    {
        context->moveTo({points[k].x, points[k].y});
        context->lineTo({points[k + 1].x, points[k + 1].y});
    }
}

void CFRGRAP::draw(CDrawContext* context)
{
    setDirty(false);
    if (context == nullptr || !inOpenFrame() || effect_ == nullptr || analyzer_ == nullptr ||
        !effect_->spectrumMode())
        return;
    drawBackground(context);

    context->setLineWidth(1);
    context->setFrameColor(kGridColour);
    context->setFont(kNormalFontSmaller);
    context->setFontColor(kGridColour);
    context->drawLines(levelGrid_.data(), static_cast<int32_t>(levelGrid_.size() / 2));
    drawLabels(context, levelLabels_, kRightText);
    context->drawLines(frequencyGrid_.data(), static_cast<int32_t>(frequencyGrid_.size() / 2));
    drawLabels(context, frequencyLabels_, kLeftText);

    const int legendX = plot_.left + kLegendInset;
    const int legendY = plot_.top + kLegendInset;
    drawTextLines("Audio Spectrum +4dB/Oct Slope", context, legendX, legendY, kLegendLineHeight);
    context->setFontColor(kSourceColour);
    drawTextLines("- source", context, legendX, legendY + kLegendLineHeight, kLegendLineHeight);
    context->setFontColor(kOutputColour);
    drawTextLines("- total output", context, legendX, legendY + 2 * kLegendLineHeight,
                  kLegendLineHeight);

    context->setFrameColor(kGridColour);
    context->drawRect(plot_);

    const CRect previousClip = clipToPlotInterior(context);
    context->setLineWidth(1);
    if (effect_->showSource())
        drawCurve(context, SpectrumCurve::source, kSourceColour);
    if (effect_->showOutput())
        drawCurve(context, SpectrumCurve::output, kOutputColour);
    context->setClipRect(previousClip);
}

#include "editor/CWAVGRAP.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/PublishedState.h"
#include "engine/ValueFormatters.h"
#include "gui/CDrawContext.h"

namespace
{
constexpr CColor kFrameColour{104, 169, 182, 255};
constexpr CColor kMajorColour{104, 169, 182, 255};
constexpr CColor kMinorColour{74, 116, 128, 255};
constexpr CColor kZeroDbColour{104, 169, 182, 255};
constexpr CColor kLevelColour{74, 116, 128, 255};
constexpr CColor kSourceColour{128, 255, 128, 255};
constexpr CColor kLimitedColour{104, 210, 255, 255};
constexpr CColor kOutputColour{255, 69, 62, 255};

constexpr float kDbStepFactor = 1.1220185f; // 10^(1/20)
constexpr int kLevelLineStepDb = 6;
constexpr int kHighestLevelLineDb = 18;
constexpr int32_t kLevelLabelWidth = 28;
constexpr int32_t kTimeLabelHalfWidth = 32;
constexpr int32_t kTimeLabelHeight = 9;
// The minor spacing is the smallest of 1, 5, 10, 50, ... ms covering 4 columns.
constexpr float kMinorLineColumns = 4.0f;
constexpr float kMajorPerMinor = 10.0f;

constexpr int kLegendLineHeight = 12;
constexpr int kLegendInset = 4;

// Rows far outside the plot are held where they cannot overflow; the clip removes them.
constexpr float kPixelLimit = 1.0e6f;

struct TimeSpacing
{
    float minorMs;
    float majorMs;
};

TimeSpacing timeSpacing(float time, int32_t columns)
{
    const float perLine = time * kMinorLineColumns / static_cast<float>(columns);
    const float decade = std::pow(10.0f, std::ceil(std::log10(perLine)));
    const float half = 5.0f * std::pow(10.0f, std::ceil(std::log10(0.2f * perLine)));
    const float minor = decade < half ? decade : half;
    return {minor, minor * kMajorPerMinor};
}

int firstLevelLineDb(float level)
{
    if (level > 0.6f)
        return -18;
    if (level > 0.3f)
        return -12;
    if (level > 0.15f)
        return -6;
    return 0;
}

void formatLevelLine(int db, char* text, size_t size)
{
    if (db == 0)
        std::snprintf(text, size, "0");
    else
        std::snprintf(text, size, db < 0 ? "%d" : "+%d", db);
}
} // namespace

CWAVGRAP::CWAVGRAP(const CRect& size, CBitmap* background, PublishedState* effect,
                   CControlListener* listener)
    : CGRAP(size, listener, background), effect_(effect),
      capture_(effect ? &effect->waveformCapture() : nullptr),
      vertices_(size_t(2 * std::max(plotWidth_, 0)))
{
    setTransparent(true);
    if (effect_ != nullptr)
        effect_->restartWaveform(std::max(plotWidth_, 0), kStartTimeMs);
}

void CWAVGRAP::setTime(float milliseconds)
{
    if (!std::isfinite(milliseconds) || !(milliseconds > 0.0f))
        return;
    time_.store(milliseconds, std::memory_order_relaxed);
    if (effect_ != nullptr)
        effect_->setViewerTime(milliseconds);
}

void CWAVGRAP::setLevel(float level)
{
    if (std::isfinite(level))
        level_.store(std::clamp(level, kLowestLevel, kHighestLevel), std::memory_order_relaxed);
}

int32_t CWAVGRAP::rowOf(float amplitude, float level) const
{
    const float row = static_cast<float>(plot_.bottom) -
                      static_cast<float>(plotHeight_) * level * amplitude - 1.0f;
    return static_cast<int32_t>(std::clamp(row, -kPixelLimit, kPixelLimit));
}

void CWAVGRAP::drawTimeGrid(CDrawContext* context, float time)
{
    if (plotWidth_ < 1)
        return;
    // "0" sits on the frame's right line, where the newest column ends; a line that would
    // land on the frame's left line, a whole window back, is left out.
    const float zero = static_cast<float>(plot_.left + plotWidth_);
    const TimeSpacing spacing = timeSpacing(time, plotWidth_);
    const float columnsPerMs = static_cast<float>(plotWidth_) / time;
    // The spacing is at least kMinorLineColumns, so no more lines than columns are drawn.
    const auto lineAt = [&](float ms, int32_t k, int32_t& x)
    {
        x = static_cast<int32_t>(zero - static_cast<float>(k) * ms * columnsPerMs);
        return k <= plotWidth_ && x > plot_.left;
    };

    context->setFrameColor(kMinorColour);
    int32_t x = 0;
    for (int32_t k = 1; lineAt(spacing.minorMs, k, x); ++k)
    {
        const CPoint line[2] = {{x, plot_.top}, {x, plot_.bottom}};
        context->drawLines(line, 1);
    }

    context->setFrameColor(kMajorColour);
    context->setFontColor(kFrameColour);
    const int32_t labelTop = plot_.bottom + 1;
    const int32_t zeroX = plot_.left + plotWidth_;
    drawText(context, "0",
             {zeroX - kTimeLabelHalfWidth, labelTop, zeroX + kTimeLabelHalfWidth,
              labelTop + kTimeLabelHeight},
             kCenterText);
    for (int32_t k = 1; lineAt(spacing.majorMs, k, x); ++k)
    {
        const CPoint line[2] = {{x, plot_.top}, {x, plot_.bottom}};
        context->drawLines(line, 1);
        char text[kValueTextSize];
        formatTime(static_cast<float>(k) * spacing.majorMs, text);
        drawText(context, text,
                 {x - kTimeLabelHalfWidth, labelTop, x + kTimeLabelHalfWidth,
                  labelTop + kTimeLabelHeight},
                 kCenterText);
    }
}

void CWAVGRAP::drawLevelGrid(CDrawContext* context, float level)
{
    context->setFontColor(kFrameColour);
    for (int db = firstLevelLineDb(level); db <= kHighestLevelLineDb; db += kLevelLineStepDb)
    {
        const float factor = std::pow(kDbStepFactor, static_cast<float>(db));
        const int32_t y =
            static_cast<int32_t>(static_cast<float>(plot_.bottom) -
                                 factor * static_cast<float>(plotHeight_) * level - 1.0f);
        if (y < plot_.top)
            break;
        context->setFrameColor(db == 0 ? kZeroDbColour : kLevelColour);
        const CPoint line[2] = {{plot_.left, y}, {plot_.right, y}};
        context->drawLines(line, 1);
        char text[8];
        formatLevelLine(db, text, sizeof text);
        drawText(context, text, {plot_.left - kLevelLabelWidth, y - 4, plot_.left, y + 6},
                 kRightText);
    }
}

void CWAVGRAP::drawTrace(CDrawContext* context, Trace trace, const CColor& colour, float level)
{
    const int32_t columns = std::min(plotWidth_, capture_->columns());
    if (columns < 2)
        return;
    context->setFrameColor(colour);
    for (int32_t i = 0; i < columns; ++i)
        vertices_[size_t(2 * i)] = {plot_.left + i, rowOf(capture_->value(trace, i), level)};
    // Segment k runs from column k to column k + 1.
    for (int32_t k = 0; k + 1 < columns; ++k)
        vertices_[size_t(2 * k + 1)] = vertices_[size_t(2 * k + 2)];
    context->drawLines(vertices_.data(), columns - 1);
}

void CWAVGRAP::draw(CDrawContext* context)
{
    setDirty(false);
    if (context == nullptr || !inOpenFrame() || effect_ == nullptr || effect_->spectrumMode())
        return;
    // Read once: another thread may change them while the view draws.
    const float time = this->time();
    const float level = this->level();
    drawBackground(context);

    context->setLineWidth(1);
    context->setFrameColor(kFrameColour);
    context->setFont(kNormalFontSmaller);
    drawTimeGrid(context, time);
    drawLevelGrid(context, level);

    context->setFrameColor(kFrameColour);
    context->drawRect(plot_);

    const int legendX = plot_.left + kLegendInset;
    const int legendY = plot_.top + kLegendInset;
    context->setFontColor(kSourceColour);
    drawTextLines("- source + gain", context, legendX, legendY, kLegendLineHeight);
    context->setFontColor(kLimitedColour);
    drawTextLines("- post limiter", context, legendX, legendY + kLegendLineHeight,
                  kLegendLineHeight);
    context->setFontColor(kOutputColour);
    drawTextLines("- total output", context, legendX, legendY + 2 * kLegendLineHeight,
                  kLegendLineHeight);

    if (capture_ == nullptr)
        return;
    const CRect previousClip = clipToPlotInterior(context);
    context->setLineWidth(1);
    // The limited trace goes last, on top of the other two.
    if (effect_->showSource())
        drawTrace(context, Trace::source, kSourceColour, level);
    if (effect_->showOutput())
        drawTrace(context, Trace::output, kOutputColour, level);
    if (effect_->showLimited())
        drawTrace(context, Trace::limited, kLimitedColour, level);
    context->setClipRect(previousClip);
}

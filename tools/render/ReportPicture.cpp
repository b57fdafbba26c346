#include "tools/render/ReportPicture.h"

#include "engine/Units.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/PngWriter.h"
#include "tools/render/OutputFile.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace
{
constexpr int32_t kWidth = 900;
constexpr int32_t kHeight = 520;
constexpr int32_t kLeft = 60;
constexpr int32_t kRight = kWidth - 20;
// The loudness panel, -60 to 0 LUFS (and dBTP for the ceiling).
constexpr int32_t kLoudnessTop = 30;
constexpr int32_t kLoudnessBottom = 300;
constexpr double kLowestLufs = -60.0;
// The gain reduction panel, 0 to -12 dB.
constexpr int32_t kReductionTop = 340;
constexpr int32_t kReductionBottom = 500;
constexpr double kDeepestReductionDb = -12.0;

constexpr CColor kBackground{255, 255, 255, 255};
constexpr CColor kGrid{220, 220, 220, 255};
constexpr CColor kText{40, 40, 40, 255};
constexpr CColor kInputShortTerm{120, 120, 120, 255};
constexpr CColor kInputMomentary{200, 200, 200, 255};
constexpr CColor kOutputShortTerm{20, 80, 200, 255};
constexpr CColor kOutputMomentary{150, 180, 240, 255};
constexpr CColor kCeiling = colourOfPixel(kCeilingLinePixel);
constexpr CColor kStage{200, 40, 40, 255};
constexpr CColor kBandColours[kNumBands] = {
    {40, 150, 40, 255}, {230, 140, 0, 255}, {140, 60, 180, 255}};

struct Axis
{
    int32_t top;
    int32_t bottom;
    double highest;
    double lowest;

    int32_t y(double value) const
    {
        const double clamped = std::clamp(value, lowest, highest);
        return top +
               int32_t(std::lround((highest - clamped) / (highest - lowest) * (bottom - top)));
    }
};

void drawLabel(CDrawContext& context, const char* text, int32_t x, int32_t y, const CColor& colour)
{
    context.setFontColor(colour);
    context.drawString(text, CRect(x, y - 8, x + 400, y + 8), false, kLeftText);
}

// A series of values, one per stretch, across the panel's width; values that are not finite
// (the loudness of silence) break the line.
void drawSeries(CDrawContext& context, const std::vector<double>& values, size_t stretches,
                const Axis& axis, const CColor& colour)
{
    context.setFrameColor(colour);
    bool drawing = false;
    for (size_t i = 0; i < values.size(); ++i)
    {
        const int32_t x = kLeft + int32_t((kRight - kLeft) * double(i) /
                                          double(std::max<size_t>(1, stretches - 1)));
        if (!std::isfinite(values[i]))
        {
            drawing = false;
            continue;
        }
        const CPoint point(x, axis.y(values[i]));
        if (drawing)
            context.lineTo(point);
        else
            context.moveTo(point);
        drawing = true;
    }
}

std::vector<double> reductionsDb(const GainHistory& history)
{
    std::vector<double> values;
    for (double gain : history.lowest)
        values.push_back(decibelsFromGain(gain));
    return values;
}

void drawGrid(CDrawContext& context, const Axis& axis, double step, const char* unit)
{
    char text[32];
    for (double value = axis.highest; value >= axis.lowest - 1e-9; value -= step)
    {
        context.setFrameColor(kGrid);
        context.moveTo(CPoint(kLeft, axis.y(value)));
        context.lineTo(CPoint(kRight, axis.y(value)));
        std::snprintf(text, sizeof(text), "%.0f", value);
        drawLabel(context, text, 8, axis.y(value), kText);
    }
    drawLabel(context, unit, 8, axis.top - 16, kText);
}

void drawPicture(CDrawContext& context, const FileResult& result)
{
    context.setFont(kNormalFontSmall);
    const Axis loudness{kLoudnessTop, kLoudnessBottom, 0.0, kLowestLufs};
    const Axis reduction{kReductionTop, kReductionBottom, 0.0, kDeepestReductionDb};
    drawGrid(context, loudness, 10.0, "LUFS");
    drawGrid(context, reduction, 3.0, "dB");
    const size_t stretches =
        std::max({result.inputHistory.shortTerm.size(), result.outputHistory.shortTerm.size(),
                  result.stageGains.lowest.size(), size_t(2)});
    drawSeries(context, result.inputHistory.momentary, stretches, loudness, kInputMomentary);
    drawSeries(context, result.outputHistory.momentary, stretches, loudness, kOutputMomentary);
    drawSeries(context, result.inputHistory.shortTerm, stretches, loudness, kInputShortTerm);
    drawSeries(context, result.outputHistory.shortTerm, stretches, loudness, kOutputShortTerm);
    if (result.ceilingDb)
    {
        context.setFrameColor(kCeiling);
        context.moveTo(CPoint(kLeft, loudness.y(*result.ceilingDb)));
        context.lineTo(CPoint(kRight, loudness.y(*result.ceilingDb)));
    }
    for (int band = 0; band < kNumBands; ++band)
        drawSeries(context, reductionsDb(result.bandGains[size_t(band)]), stretches, reduction,
                   kBandColours[band]);
    drawSeries(context, reductionsDb(result.stageGains), stretches, reduction, kStage);

    drawLabel(context, "input short-term", kLeft + 40, 12, kInputShortTerm);
    drawLabel(context, "momentary", kLeft + 150, 12, kInputMomentary);
    drawLabel(context, "output short-term", kLeft + 240, 12, kOutputShortTerm);
    drawLabel(context, "momentary", kLeft + 360, 12, kOutputMomentary);
    drawLabel(context, "true-peak ceiling (dBTP)", kLeft + 460, 12, kCeiling);
    drawLabel(context, "gain reduction: stage", kLeft + 40, kReductionTop - 16, kStage);
    drawLabel(context, "low", kLeft + 190, kReductionTop - 16, kBandColours[0]);
    drawLabel(context, "mid", kLeft + 220, kReductionTop - 16, kBandColours[1]);
    drawLabel(context, "high", kLeft + 250, kReductionTop - 16, kBandColours[2]);
    drawLabel(context, (processingText(result.processing) + ", " + result.inputName).c_str(),
              kLeft + 300, kReductionTop - 16, kText);
}

void writeReportPicture(const FileResult& result, const std::string& path)
{
    COffscreenContext context(nullptr, kWidth, kHeight, kBackground);
    drawPicture(context, result);
    OutputFile picture(path);
    if (!writePng(context, picture.temporaryPath().c_str()))
        throw RenderError("cannot write the picture " + path);
    picture.commit();
}
} // namespace

std::string reportPicturePath(const std::string& reportPath, const std::string& outputPath)
{
    // The output's whole name: outputs of a batch may differ in their extension alone.
    const std::filesystem::path report(reportPath);
    const std::string name = report.stem().string() + "-" +
                             std::filesystem::path(outputPath).filename().string() + ".png";
    return (report.parent_path() / name).string();
}

void writeReportPictures(const std::string& reportPath, const std::vector<FileResult>& rows)
{
    for (const FileResult& row : rows)
        if (row.written())
            writeReportPicture(row, reportPicturePath(reportPath, row.outputPath));
}

#include "tools/render/ReportTable.h"

#include "engine/Units.h"
#include "tools/render/DeliveryChain.h"
#include "tools/render/OutputFile.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

namespace
{
constexpr const char* kBandNames[kNumBands] = {"low", "mid", "high"};

std::string formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

struct DeepestBand
{
    double reductionDb;
    const char* name;
};

std::optional<DeepestBand> deepestBand(const FileResult& row)
{
    if (!row.deepestBandGains)
        return std::nullopt;
    const auto& gains = *row.deepestBandGains;
    const auto deepest = std::min_element(gains.begin(), gains.end());
    // A band is named only when one reduced the gain.
    return DeepestBand{decibelsFromGain(*deepest),
                       *deepest < 1.0 ? kBandNames[deepest - gains.begin()] : ""};
}

std::string rowStatus(const FileResult& row)
{
    if (!row.written())
        return "failed";
    return row.missedTarget() ? "target missed" : "written";
}

std::string ceilingMissedText(const FileResult& row)
{
    return formatted("true peak %.2f dBTP over the ceiling ", row.output.truePeakDb) +
           formatted("%.1f dBTP", *row.ceilingDb);
}

// What the row's note says; empty when nothing needs saying.
std::string rowNote(const FileResult& row)
{
    if (!row.written())
        return "failed: " + row.error;
    std::string note;
    if (row.search && row.search->outcome != DriveOutcome::reached)
        note = "target not reached: " + driveOutcomeText(row.search->outcome);
    if (row.ceilingMissed())
        note += (note.empty() ? "" : "; ") + ceilingMissedText(row);
    if (row.nonFiniteSamples > 0)
        note += (note.empty() ? "" : "; ") + std::to_string(row.nonFiniteSamples) +
                " input samples are NaN or infinite";
    return note;
}

std::string tableLine(const FileResult& row, size_t nameWidth)
{
    std::string line = row.inputName;
    line.resize(std::max(nameWidth, line.size()), ' ');
    if (!row.written())
        return line + rowNote(row);
    char numbers[160];
    std::snprintf(numbers, sizeof(numbers), "%8.2f %8.2f %+8.2f %8.2f %8.2f %8.2f",
                  row.input.integrated, row.input.truePeakDb, row.driveDb, row.output.integrated,
                  row.output.truePeakDb, row.output.range);
    const std::optional<DeepestBand> band = deepestBand(row);
    if (!band)
        return line + numbers + "      n/a";
    return line + numbers + formatted("  %7.2f", band->reductionDb) +
           (*band->name ? std::string(" ") + band->name : "");
}

// --------------------------------------------------------------------------- JSON

// The length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
size_t utf8SequenceLength(const std::string& text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const size_t length = lead < 0xc2 ? 0 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : lead < 0xf5 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xc0) != 0x80)
            return 0;
    // Overlong forms, UTF-16 surrogates and values beyond U+10FFFF.
    const unsigned char second = byte(i + 1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) ||
        (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second >= 0x90))
        return 0;
    return length;
}

// A JSON string: quotes, backslashes and control characters escaped; bytes that are not
// UTF-8 (file names may hold any) become U+FFFD, so that the document stays valid.
std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\')
            out += std::string("\\") + char(c);
        else if (c < 0x20)
            out += formatted("\\u%04x", c);
        else if (c < 0x80)
            out += char(c);
        else if (const size_t length = utf8SequenceLength(text, i))
        {
            out += text.substr(i, length);
            i += length;
            continue;
        }
        else
            out += "\\ufffd";
        ++i;
    }
    return out + "\"";
}

// JSON has no infinity: a figure that is not finite (the loudness of silence) is null.
std::string jsonNumber(std::optional<double> value, const char* format = "%.2f")
{
    return value && std::isfinite(*value) ? formatted(format, *value) : "null";
}

std::string jsonReduction(const GainHistory& gains)
{
    return "{\"largest_db\": " + jsonNumber(gains.largestReductionDb()) +
           ", \"median_db\": " + jsonNumber(gains.medianReductionDb()) + "}";
}

// What was applied: the processing, its gain, and the stage's and the bands' reductions
// where they ran.
std::string jsonProcessing(const FileResult& row)
{
    std::ostringstream json;
    json << "\"processing\": " << jsonString(processingText(row.processing))
         << ", \"gain\": " << jsonNumber(driveGain(row.driveDb), "%.9g") << ",\n     \"stage\": "
         << (row.stageGains.lowest.empty() ? "null" : jsonReduction(row.stageGains))
         << ",\n     \"bands\": ";
    if (row.bandGains[0].lowest.empty())
        json << "null";
    else
    {
        json << "{";
        for (int band = 0; band < kNumBands; ++band)
            json << (band ? ", " : "") << jsonString(kBandNames[band]) << ": "
                 << jsonReduction(row.bandGains[size_t(band)]);
        json << "}";
    }
    json << ",\n     \"input_lra\": " << jsonNumber(row.input.range)
         << ", \"residual_db\": " << jsonNumber(row.residualDb, "%.1f");
    return json.str();
}

std::string jsonRow(const FileResult& row)
{
    const bool written = row.written();
    const auto figure = [&](double value)
    { return jsonNumber(written ? std::optional<double>(value) : std::nullopt); };
    const std::optional<DeepestBand> band = written ? deepestBand(row) : std::nullopt;
    const std::string note = rowNote(row);
    std::ostringstream json;
    json << "    {\"input\": " << jsonString(row.inputName)
         << ", \"output\": " << jsonString(row.outputPath)
         << ", \"status\": " << jsonString(rowStatus(row))
         << ", \"note\": " << (note.empty() ? "null" : jsonString(note))
         << ",\n     \"input_lufs\": " << figure(row.input.integrated)
         << ", \"input_dbtp\": " << figure(row.input.truePeakDb)
         << ", \"drive_db\": " << figure(row.driveDb)
         << ", \"output_lufs\": " << figure(row.output.integrated)
         << ", \"output_dbtp\": " << figure(row.output.truePeakDb)
         << ", \"output_lra\": " << figure(row.output.range)
         << ",\n     \"deepest_band_reduction_db\": "
         << jsonNumber(band ? std::optional<double>(band->reductionDb) : std::nullopt)
         << ", \"deepest_band\": " << (band && *band->name ? jsonString(band->name) : "null");
    if (written)
        json << ",\n     " << jsonProcessing(row);
    json << "}";
    return json.str();
}

std::string jsonDocument(const RenderOptions& options, const std::vector<FileResult>& rows)
{
    std::ostringstream json;
    json << "{\n  \"delivery\": "
         << (options.deliveryName.empty() ? "null" : jsonString(options.deliveryName))
         << ",\n  \"target_lufs\": " << jsonNumber(options.targetLufs)
         << ",\n  \"ceiling_dbtp\": " << jsonNumber(options.ceilingDb)
         << ",\n  \"album\": " << (options.album ? "true" : "false") << ",\n  \"files\": [";
    for (size_t i = 0; i < rows.size(); ++i)
        json << (i == 0 ? "\n" : ",\n") << jsonRow(rows[i]);
    json << "\n  ]\n}\n";
    return json.str();
}
} // namespace

std::string deliverySummary(const RenderOptions& options, int integerBits)
{
    std::string text = options.deliveryName.empty() ? "" : options.deliveryName + ": ";
    if (options.targetLufs)
        text += formatted("target %.1f LUFS, ", *options.targetLufs);
    if (options.ceilingDb)
        text += formatted("true-peak ceiling %.1f dBTP, ", *options.ceilingDb);
    const std::string rounding = options.dither ? "TPDF dither" : "rounded without dither";
    if (integerBits < 0)
        text += rounding + " for integer outputs";
    else if (integerBits > 0)
        text += rounding + " to " + std::to_string(integerBits) + " bits";
    else
        text += "float output";
    return text;
}

std::string driveText(const DriveResult& search)
{
    std::string text = formatted("%+.2f dB", search.driveDb) + " after " +
                       std::to_string(search.trials) +
                       (search.trials == 1 ? " trial render: " : " trial renders: ");
    if (search.outcome == DriveOutcome::reached)
        return text + "target reached";
    return text + "target not reached, " + driveOutcomeText(search.outcome) +
           "; the closest render is written";
}

std::string missedTargetText(const FileResult& result, std::optional<double> targetLufs)
{
    if (!result.search || result.search->outcome == DriveOutcome::reached)
        return result.inputName + ": " + ceilingMissedText(result);
    return result.inputName + ": target " + formatted("%.1f LUFS", *targetLufs) + " not reached (" +
           formatted("%.2f LUFS", result.search->loudness) + " at " +
           formatted("%+.2f dB", result.driveDb) +
           " of drive): " + driveOutcomeText(result.search->outcome) +
           "; the closest render is written";
}

std::string processingSummary(const FileResult& result)
{
    std::string text =
        processingText(result.processing) + formatted(", gain %+.2f dB", result.driveDb);
    if (!result.stageGains.lowest.empty())
        text +=
            formatted("; stage reduction largest %.2f dB", result.stageGains.largestReductionDb()) +
            formatted(", median %.2f dB", result.stageGains.medianReductionDb());
    if (!result.bandGains[0].lowest.empty())
        for (int band = 0; band < kNumBands; ++band)
            text +=
                std::string("; ") + kBandNames[band] +
                formatted(" band largest %.2f dB",
                          result.bandGains[size_t(band)].largestReductionDb()) +
                formatted(", median %.2f dB", result.bandGains[size_t(band)].medianReductionDb());
    if (std::isfinite(result.residualDb))
        text += formatted("; residual %.1f dB", result.residualDb);
    return text;
}

std::string decibelText(double gain)
{
    return formatted("%.2f", decibelsFromGain(gain));
}

void printTable(std::ostream& out, const std::vector<FileResult>& rows)
{
    size_t nameWidth = 4;
    for (const FileResult& row : rows)
        nameWidth = std::max(nameWidth, row.inputName.size());
    nameWidth += 2;
    std::string heading = "file";
    heading.resize(nameWidth, ' ');
    out << heading << " in LUFS  in dBTP    drive out LUFS out dBTP  out LRA  deepest band\n";
    for (const FileResult& row : rows)
        out << tableLine(row, nameWidth) << "\n";
    bool first = true;
    for (const FileResult& row : rows)
    {
        const std::string note = rowNote(row);
        if (note.empty() || !row.written())
            continue;
        out << (first ? "\n" : "") << row.inputName << ": " << note << "\n";
        first = false;
    }
}

void writeJsonReport(const std::string& path, const RenderOptions& options,
                     const std::vector<FileResult>& rows)
{
    OutputFile file(path);
    {
        std::ofstream stream(file.temporaryPath(), std::ios::binary);
        stream << jsonDocument(options, rows);
        if (!stream.flush())
            throw RenderError("cannot write the report " + path);
    }
    file.commit();
}

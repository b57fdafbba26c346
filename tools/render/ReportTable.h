// The texts of the report that single renders and batches share: the delivery settings, the
// drive found, and the table of results with its JSON twin.
#pragma once

#include "tools/render/FileResult.h"
#include "tools/render/RenderOptions.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The delivery settings in one line: preset, target, ceiling, and how the output is reduced
// to integerBits (0 for a float or lossy output; -1 for a batch, whose outputs may differ).
std::string deliverySummary(const RenderOptions& options, int integerBits);
// The drive a search found and how it ended.
std::string driveText(const DriveResult& search);
// Why a written file missed its target or its ceiling, for standard error.
std::string missedTargetText(const FileResult& result, std::optional<double> targetLufs);
// What was applied to the file: the processing, the gain, and how deep each limiter went.
std::string processingSummary(const FileResult& result);
// A linear gain in dB with two decimals.
std::string decibelText(double gain);

// One row per file: input loudness and true peak, drive, output loudness, true peak and
// loudness range, and the deepest band gain reduction, or why the file failed; then a note
// for each written file that needs one (a missed target, input samples that are not finite).
void printTable(std::ostream& out, const std::vector<FileResult>& rows);

// The same table as a JSON document, written whole or not at all. Throws RenderError.
void writeJsonReport(const std::string& path, const RenderOptions& options,
                     const std::vector<FileResult>& rows);

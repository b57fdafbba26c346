// The picture --report writes beside its JSON for each file: the loudness over time before
// and after (short-term and momentary), the true-peak ceiling, and the gain reduction of the
// stage and of each band over time.
#pragma once

#include "tools/render/FileResult.h"

#include <cstdint>
#include <string>
#include <vector>

// Where the picture of a file goes: beside the report, named after both
// (report.json, out.wav: report-out.wav.png).
std::string reportPicturePath(const std::string& reportPath, const std::string& outputPath);

// Writes the picture of every written row beside the report, each whole or not at all.
// Throws RenderError.
void writeReportPictures(const std::string& reportPath, const std::vector<FileResult>& rows);

// The picture's colours that tests look for.
constexpr uint32_t kCeilingLinePixel = 0xE03030;

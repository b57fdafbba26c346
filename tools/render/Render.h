// The job of vrn07-render for one input: read the input (or make the demo), play it through
// the plug-in and the delivery stages, write the output and print the report.
#pragma once

#include "tools/render/RenderOptions.h"

#include <ostream>

// Answers the exit status: 0, or kTargetMissedStatus when the output was written but its
// loudness target could not be reached (problems then says why). Throws RenderError on any
// failure; no output file is left behind then.
int render(const RenderOptions& options, std::ostream& report, std::ostream& problems);

constexpr int kFailedStatus = 1;
constexpr int kTargetMissedStatus = 3;

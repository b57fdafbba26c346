// The job of vrn07-render for a batch: every input file (or every audio file of an input
// folder) rendered into the output folder under its own name, on all cores, one plug-in
// instance per render; then the table of results.
#pragma once

#include "tools/render/RenderOptions.h"

#include <ostream>

// Answers the exit status: 0; kFailedStatus when some file failed (its row and problems say
// why; the others are written); else kTargetMissedStatus when some file missed its target.
// Throws RenderError, before anything is written, for a batch that cannot be done as asked:
// an output that is an input or another output, or that may not be written.
int renderBatch(const RenderOptions& options, std::ostream& report, std::ostream& problems);

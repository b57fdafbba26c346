// The whole job of vrn07-render: read the input (or make the demo), play it through the
// plug-in, write the output and print the report.
#pragma once

#include "tools/render/RenderOptions.h"

#include <ostream>

// Throws RenderError on any failure; no output file is left behind then.
void render(const RenderOptions& options, std::ostream& report);

// The viewer's background: a dark plot area that the graph views draw their grid, labels,
// legend and curves over.
#pragma once

#include "resources/generator/Artwork.h"
#include "resources/generator/Canvas.h"

// The plot frame inside the viewer, where the graph views put their frame outline.
Box viewerPlotBox(const Artwork& art);
Canvas drawViewer(const Artwork& art);

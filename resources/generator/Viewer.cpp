#include "resources/generator/Viewer.h"

#include "resources/generator/Palette.h"
#include "resources/generator/Shapes.h"

namespace
{
// The graph views frame their plot this far inside their rectangle.
constexpr float kPlotLeftMargin = 32;
constexpr float kPlotTopMargin = 16;
constexpr float kPlotRightMargin = 20;
constexpr float kPlotBottomMargin = 20;

constexpr Rgb kMarginTop = rgb(20, 28, 38);
constexpr Rgb kMarginBottom = rgb(14, 20, 28);
constexpr Rgb kPlotCentre = rgb(16, 30, 42);
constexpr Rgb kPlotEdge = rgb(8, 14, 21);
} // namespace

Box viewerPlotBox(const Artwork& art)
{
    return {kPlotLeftMargin, kPlotTopMargin, float(art.width) - kPlotRightMargin,
            float(art.height) - kPlotBottomMargin};
}

Canvas drawViewer(const Artwork& art)
{
    const float w = float(art.width);
    const float h = float(art.height);
    Canvas viewer(art.width, art.height);
    fillShape(viewer, roundedBox({0, 0, w, h}, 0),
              verticalGradient(0, h, kMarginTop, kMarginBottom));
    const Box plot = viewerPlotBox(art);
    fillShape(viewer, roundedBox(plot, 0),
              radialGradient(plot.centreX(), plot.top + plot.height() * 0.35f, plot.width() * 0.62f,
                             kPlotCentre, kPlotEdge));
    // A faint sheen along the top of the glass.
    fillShape(viewer, roundedBox({plot.left, plot.top, plot.right, plot.top + 24}, 0),
              verticalGradient(plot.top, plot.top + 24, rgb(60, 90, 110), kPlotCentre), 0.12f);
    fillShape(viewer, stroked(roundedBox({0.5f, 0.5f, w - 0.5f, h - 0.5f}, 0), 1),
              solid(palette::kScreenEdge));
    return viewer;
}

// What the viewer tests share: an effect created through the entry point, a headless frame
// of the editor's size holding the viewer at the editor's place over a plain background, and
// pixel queries on what the window shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "GuiTestSupport.h"
#include "engine/ControlTable.h"
#include "gui/CBitmap.h"
#include "plugin/vst2/AKkk.h"
#include "tools/host/HostHarness.h"

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace graphs
{
// The viewer's rectangle in the editor, and the frame inside it.
constexpr CRect kView{35, 11, 426, 162};
constexpr int32_t kPlotLeft = 67;
constexpr int32_t kPlotTop = 27;
constexpr int32_t kPlotRight = 406;
constexpr int32_t kPlotBottom = 142;
constexpr int32_t kColumns = 338;
constexpr int32_t kRightLine = kPlotLeft + kColumns;
// Inside the frame's left, top and bottom lines, up to and including its right line.
constexpr CRect kPlotInterior{kPlotLeft + 1, kPlotTop + 1, kPlotRight, kPlotBottom - 1};
constexpr uint32_t kBackdrop = 0x182028;

class GraphFixture : public ::testing::Test
{
  protected:
    GraphFixture() : plugin_(host_.create(VSTPluginMain)), frame_(754, 374)
    {
        plugin_.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        bitmaps_.add(131, solidImage(kView.width(), kView.height(), kBackdrop));
        background_ = new CBitmap(131);
    }
    ~GraphFixture() override { background_->release(); }

    AKkk& effect() { return *static_cast<AKkk*>(plugin_.effect()->object); }
    void setReal(int index, double real)
    {
        plugin_.setParameter(index, float(realToNormalized(real, index)));
    }
    // Redraws the view as the editor's tick does; answers what the window shows.
    PixelImage drawn(CView* view)
    {
        frame_.frame->drawView(view);
        return frame_.windowPixels();
    }

    HostHarness host_;
    PluginInstance plugin_;
    TestBitmaps bitmaps_;
    HeadlessFrameFixture frame_;
    CBitmap* background_;
};

// Pixels of the colour in row y from x0 to x1 - 1.
int countInRow(const PixelImage& image, int32_t y, int32_t x0, int32_t x1, const CColor& colour);
// The smallest rectangle inside area holding every pixel that is not the background.
CRect inkIn(const PixelImage& image, const CRect& area, uint32_t background = kBackdrop);
// True when no pixel of the colour lies outside the allowed rectangles.
bool onlyInside(const PixelImage& image, const CColor& colour, const std::vector<CRect>& allowed);
// The stretches of the strip holding ink, as the columns [first, last + 1) of each; more than
// 2 columns without ink (the most between two glyphs of one label) split two stretches.
std::vector<CRect> inkRuns(const PixelImage& image, const CRect& strip);
} // namespace graphs

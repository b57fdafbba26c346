// The base of the two viewers that share the editor's graph area: the geometry of the frame
// and plot inside the view's rectangle, and the text operations both use.
#pragma once

#include "gui/CControl.h"
#include "gui/platform/DrawDevice.h"

class CControlListener;

class CGRAP : public CControl
{
  public:
    // Tag -1: a viewer never reaches the effect's parameters.
    CGRAP(const CRect& size, CControlListener* listener, CBitmap* background);

    // The base viewer shows nothing.
    void draw(CDrawContext*) override;

    // Draws text split at each '\n', line i left-aligned in (x + 1, y + i * lineHeight,
    // x + n * (lineHeight / 2), y + (i + 1) * lineHeight), n being the line's length, in bold
    // "Arial" of 0.8 * lineHeight pixels and the context's font colour. A null text, a null
    // context or a line height below 1 draws nothing.
    static void drawTextLines(const char* text, CDrawContext* context, int x, int y,
                              int lineHeight);

  protected:
    // Left-aligned text starts exactly at box.left; all text is clipped to its box.
    static void drawText(CDrawContext* context, const char* text, const CRect& box,
                         CHoriTxtAlign alignment);
    // A viewer draws only inside a frame that is open.
    bool inOpenFrame() const;
    // The background bitmap over the whole rectangle, drawn plainly.
    void drawBackground(CDrawContext* context);
    // Restricts drawing to the plot inside the frame's left, top and bottom lines (and within
    // the clip already set); answers the clip to restore afterwards.
    CRect clipToPlotInterior(CDrawContext* context) const;

    // The frame outlines plot_; the plot spans plotWidth_ columns from plot_.left (the
    // frame's right line is at plot_.left + plotWidth_) and plotHeight_ rows from plot_.top.
    CRect plot_;
    int32_t plotWidth_;
    int32_t plotHeight_;
};

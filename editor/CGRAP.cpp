#include "editor/CGRAP.h"

#include <cstring>
#include <string>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace
{
// The frame sits 32 pixels in from the left (room for the level labels), 16 from the top and
// 20 from the right and bottom (room for the axis labels).
constexpr int32_t kFrameLeftInset = 32;
constexpr int32_t kFrameTopInset = 16;
constexpr int32_t kFrameRightInset = 20;
constexpr int32_t kFrameBottomInset = 20;
// The frame's lines lie on the plot's first and last column and row.
constexpr int32_t kPlotWidthInset = kFrameLeftInset + kFrameRightInset + 1;
constexpr int32_t kPlotHeightInset = kFrameTopInset + kFrameBottomInset + 1;
constexpr float kLegendFontScale = 0.8f;
} // namespace

CGRAP::CGRAP(const CRect& size, CControlListener* listener, CBitmap* background)
    : CControl(size, listener, -1, background), plot_{size.left + kFrameLeftInset,
                                                      size.top + kFrameTopInset,
                                                      size.right - kFrameRightInset,
                                                      size.bottom - kFrameBottomInset},
      plotWidth_(size.width() - kPlotWidthInset), plotHeight_(size.height() - kPlotHeightInset)
{
}

void CGRAP::draw(CDrawContext*)
{
    setDirty(false);
}

void CGRAP::drawText(CDrawContext* context, const char* text, const CRect& box,
                     CHoriTxtAlign alignment)
{
    // The context starts left-aligned text one pixel in; these boxes already allow for it.
    CRect shifted = box;
    if (alignment == kLeftText)
        shifted.left -= 1;
    context->drawString(text, shifted, false, alignment);
}

void CGRAP::drawTextLines(const char* text, CDrawContext* context, int x, int y, int lineHeight)
{
    if (text == nullptr || context == nullptr || lineHeight < 1)
        return;
    const int32_t fontSize = static_cast<int32_t>(lineHeight * kLegendFontScale + 0.5f);
    context->setFont(kNormalFontBig, fontSize, kBoldFace);
    const int32_t charWidth = lineHeight / 2;
    int32_t top = y;
    for (const char* line = text;; top += lineHeight)
    {
        const char* end = std::strchr(line, '\n');
        const size_t length = end != nullptr ? size_t(end - line) : std::strlen(line);
        const std::string piece(line, length);
        const CRect box{x + 1, top, x + int32_t(length) * charWidth, top + lineHeight};
        drawText(context, piece.c_str(), box, kLeftText);
        if (end == nullptr)
            break;
        line = end + 1;
    }
}

bool CGRAP::inOpenFrame() const
{
    return getFrame() != nullptr && getFrame()->isOpen();
}

void CGRAP::drawBackground(CDrawContext* context)
{
    if (getBackground() != nullptr)
        getBackground()->draw(context, size_);
}

CRect CGRAP::clipToPlotInterior(CDrawContext* context) const
{
    const CRect previous = context->getClipRect();
    const CRect interior{plot_.left + 1, plot_.top + 1, plot_.right, plot_.bottom - 1};
    context->setClipRect(interior.intersected(previous));
    return previous;
}

#include "gui/CDrawContext.h"

#include "gui/CFrame.h"
#include "gui/platform/InputSource.h"

namespace
{
struct FontEntry
{
    const char* face;
    int32_t size;
};

constexpr FontEntry kFonts[kFontCount] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

// Larger sizes are clamped: nothing in the toolkit needs them, and a glyph cache for an
// absurd size would take absurd memory.
constexpr int32_t kMaxFontPixels = 256;

constexpr CRect kNoFrameClip{0, 0, 1000, 1000};
} // namespace

CDrawContext::CDrawContext(CFrame* frame) : frame_(frame)
{
    window_ = frame != nullptr ? frame->getWindow() : nullptr;
    if (window_ != nullptr)
    {
        device_ = window_->createDevice();
    }
    initialise(frameRect());
}

CDrawContext::CDrawContext(CFrame* frame, std::unique_ptr<DrawDevice> device, const CRect& clip)
    : device_(std::move(device)), frame_(frame)
{
    initialise(clip);
}

CDrawContext::~CDrawContext() = default;

CPoint CDrawContext::getScreenOffset() const
{
    if (!screenOffset_)
    {
        screenOffset_ = window_ != nullptr ? window_->screenOrigin() : CPoint{};
    }
    return *screenOffset_;
}

void CDrawContext::initialise(const CRect& clip)
{
    clipRect_ = clip;
    if (device_)
    {
        device_->setClip(clip);
    }
    setFrameColor({255, 255, 255, 255});
    setFillColor({0, 0, 0, 255});
    setFontColor({255, 255, 255, 255});
    setFont(0);
}

CRect CDrawContext::frameRect() const
{
    return frame_ != nullptr ? frame_->getSize() : kNoFrameClip;
}

void CDrawContext::makePen()
{
    if (device_)
    {
        device_->selectPen(frameColor_, lineWidth_);
    }
}

void CDrawContext::setFrameColor(const CColor& colour)
{
    if (colour == frameColor_)
    {
        return;
    }
    frameColor_ = colour;
    makePen();
}

void CDrawContext::setLineWidth(int32_t width)
{
    if (width == lineWidth_)
    {
        return;
    }
    lineWidth_ = width;
    makePen();
}

void CDrawContext::setLineStyle(int32_t style)
{
    if (style == lineStyle_)
    {
        return;
    }
    lineStyle_ = style;
    makePen();
}

void CDrawContext::setFillColor(const CColor& colour)
{
    if (colour == fillColor_ || !device_)
    {
        return;
    }
    device_->setBackColor(colour);
    if (device_->selectBrush(colour))
    {
        fillColor_ = colour;
    }
}

void CDrawContext::setFontColor(const CColor& colour)
{
    fontColor_ = colour;
    if (device_)
    {
        device_->setTextColor(colour);
    }
}

void CDrawContext::setFont(int32_t fontId, int32_t size, int32_t style)
{
    if (fontId < 0 || fontId >= kFontCount)
    {
        fontId = 0;
    }
    if (size <= 0)
    {
        size = kFonts[fontId].size;
    }
    size = std::min(size, kMaxFontPixels);
    if (fontId == fontId_ && size == fontSize_ && style == fontStyle_)
    {
        return;
    }
    fontId_ = fontId;
    fontSize_ = size;
    fontStyle_ = style;
    if (device_)
    {
        FontDescription font;
        font.face = kFonts[fontId].face;
        font.pixelSize = size;
        font.bold = (style & kBoldFace) != 0 || fontId == 0;
        font.italic = (style & kItalicFace) != 0;
        font.underline = (style & kUnderlineFace) != 0;
        font.decorative = fontId == kSymbolFont;
        device_->selectFont(font);
    }
}

void CDrawContext::setClipRect(const CRect& clip)
{
    const CRect deviceClip = clip.moved(offset_);
    if (deviceClip == clipRect_)
    {
        return;
    }
    clipRect_ = deviceClip;
    if (device_)
    {
        device_->setClip(deviceClip);
    }
}

void CDrawContext::resetClipRect()
{
    clipRect_ = frameRect();
    if (device_)
    {
        device_->setClip(clipRect_);
    }
}

void CDrawContext::moveTo(const CPoint& point)
{
    if (device_)
    {
        device_->moveTo(point + offset_);
    }
}

void CDrawContext::lineTo(const CPoint& point)
{
    if (device_)
    {
        device_->lineTo(point + offset_);
    }
}

void CDrawContext::drawLines(const CPoint* points, int32_t count)
{
    if (points == nullptr)
    {
        return;
    }
    for (int32_t k = 0; k < count; ++k)
    {
        moveTo(points[2 * k]);
        lineTo(points[2 * k + 1]);
    }
}

void CDrawContext::drawRect(const CRect& rect)
{
    moveTo({rect.left, rect.top});
    lineTo({rect.right - 1, rect.top});
    lineTo({rect.right - 1, rect.bottom - 1});
    lineTo({rect.left, rect.bottom - 1});
    lineTo({rect.left, rect.top});
}

void CDrawContext::fillRect(const CRect& rect)
{
    if (device_)
    {
        device_->fillRect(
            CRect{rect.left + 1, rect.top + 1, rect.right, rect.bottom}.moved(offset_));
    }
}

void CDrawContext::drawString(const char* text, const CRect& rect, bool opaque,
                              CHoriTxtAlign alignment)
{
    if (text == nullptr || !device_)
    {
        return;
    }
    CRect box = rect.moved(offset_);
    if (alignment == kLeftText)
    {
        box.left += 1;
    }
    device_->drawText(text, box, alignment, opaque);
}

int32_t CDrawContext::getMouseButtons() const
{
    return platform::currentInput().mouseButtons();
}

PixelImage CDrawContext::readPixels() const
{
    return device_ ? device_->readPixels() : PixelImage{};
}

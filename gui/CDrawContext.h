// A drawing pass on one device: the current colours, font, line settings and clip, and an
// offset added to every coordinate (the origin of the view being drawn). Platform objects
// (pens, brushes, fonts) are made only when a value actually changes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "gui/CReferenceCounter.h"
#include "gui/GuiTypes.h"
#include "gui/PixelImage.h"
#include "gui/platform/DrawDevice.h"

class CFrame;
class FrameWindow;

// Font style bits.
constexpr int32_t kBoldFace = 1;
constexpr int32_t kItalicFace = 2;
constexpr int32_t kUnderlineFace = 4;

// The toolkit's fonts, by id: 0 is bold "Arial" 12, 1 to 6 "Arial" 18, 14, 12, 11, 10, 9,
// 7 "Symbol" 13.
constexpr int32_t kNormalFontBig = 1;
constexpr int32_t kNormalFont = 2;
constexpr int32_t kNormalFontSmall = 3;
constexpr int32_t kNormalFontSmaller = 4;
constexpr int32_t kNormalFontVerySmall = 5;
constexpr int32_t kNormalFontVeryVerySmall = 6;
constexpr int32_t kSymbolFont = 7;
constexpr int32_t kFontCount = 8;

class CDrawContext : public CReferenceCounter
{
  public:
    // A context on the frame's window. Without a frame, or with a window that cannot draw,
    // every drawing operation does nothing.
    explicit CDrawContext(CFrame* frame);
    ~CDrawContext() override;

    // The point added to every drawing coordinate.
    void setOffset(const CPoint& offset) { offset_ = offset; }
    CPoint getOffset() const { return offset_; }
    // The window's top-left corner on the screen ((0, 0) without a window). Asked of the
    // window system at the first call only: most passes never need it, and asking costs a
    // round trip to the X server.
    CPoint getScreenOffset() const;
    CFrame* getFrame() const { return frame_; }

    void setFrameColor(const CColor& colour);
    CColor getFrameColor() const { return frameColor_; }
    void setFillColor(const CColor& colour);
    CColor getFillColor() const { return fillColor_; }
    void setFontColor(const CColor& colour);
    CColor getFontColor() const { return fontColor_; }
    // Lines are one pixel wide and solid; other values are kept but drawn the same.
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth_; }
    void setLineStyle(int32_t style);
    int32_t getLineStyle() const { return lineStyle_; }

    // Selects font fontId (0 for ids outside 0 to 7) at size pixels (0: the font's own
    // size) with the style bits.
    void setFont(int32_t fontId, int32_t size = 0, int32_t style = 0);
    int32_t getFont() const { return fontId_; }
    int32_t getFontSize() const { return fontSize_; }
    int32_t getFontStyle() const { return fontStyle_; }

    // The clip, given and answered in the context's coordinates (the offset applied).
    void setClipRect(const CRect& clip);
    CRect getClipRect() const { return clipRect_.moved({-offset_.h, -offset_.v}); }
    // Back to the frame's rectangle, or (0, 0, 1000, 1000) without a frame.
    void resetClipRect();

    void moveTo(const CPoint& point);
    // A line in the frame colour that does not paint its end point.
    void lineTo(const CPoint& point);
    // count segments, segment k from points[2k] to points[2k + 1].
    void drawLines(const CPoint* points, int32_t count);
    // Outlines the pixels from (left, top) to (right - 1, bottom - 1) in the frame colour.
    void drawRect(const CRect& rect);
    // Fills from left + 1 to right and top + 1 to bottom: the top row and left column
    // belong to the outline drawRect makes.
    void fillRect(const CRect& rect);
    // One line of text in the current font and font colour, vertically centred; left
    // aligned text starts one pixel in. Opaque text is backed by the fill colour.
    void drawString(const char* text, const CRect& rect, bool opaque = false,
                    CHoriTxtAlign alignment = kCenterText);

    // The mouse-button word at this moment.
    int32_t getMouseButtons() const;

    // The device, for bitmaps and copies; null when the context cannot draw.
    DrawDevice* device() const { return device_.get(); }
    // Every pixel of the device (empty when there is none).
    PixelImage readPixels() const;

  protected:
    // A context on a device of its own (an off-screen one), clipped to clip.
    CDrawContext(CFrame* frame, std::unique_ptr<DrawDevice> device, const CRect& clip);

  private:
    void initialise(const CRect& clip);
    void makePen();
    CRect frameRect() const;

    FrameWindow* window_ = nullptr;
    mutable std::optional<CPoint> screenOffset_;
    CPoint offset_;
    std::unique_ptr<DrawDevice> device_;
    CFrame* frame_ = nullptr;
    int32_t fontSize_ = -1;
    int32_t fontStyle_ = 0;
    int32_t fontId_ = kFontCount;
    CColor fontColor_{0, 0, 0, 0};
    int32_t lineWidth_ = 1;
    CColor frameColor_{0, 0, 0, 0};
    CColor fillColor_{0, 0, 0, 0};
    int32_t lineStyle_ = 0;
    CRect clipRect_;
};

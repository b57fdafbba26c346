// A view that shows a value as text, through a formatter, over a background image or a
// filled and framed rectangle. It ignores the mouse.
#pragma once

#include "gui/CControl.h"
#include "gui/platform/DrawDevice.h"

// Style bits.
constexpr int32_t kShadowText = 4;
constexpr int32_t k3DIn = 128;
constexpr int32_t k3DOut = 256;
constexpr int32_t kNoTextStyle = 2048;
constexpr int32_t kNoDrawStyle = 4096;
constexpr int32_t kNoFrame = 16384;

// The text buffer a formatter writes into, terminator included.
constexpr int32_t kParamDisplayTextBytes = 256;

using CParamDisplayFormatter = void (*)(float value, char* text);
using CParamDisplayFormatterWithData = void (*)(float value, char* text, void* userData);

class CParamDisplay : public CControl
{
  public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);

    // The setters mark the display dirty when the value changes.
    virtual void setFont(int32_t fontId);
    virtual void setTextColor(const CColor& colour);
    virtual void setBackColor(const CColor& colour);
    virtual void setBorderColor(const CColor& colour);
    virtual void setShadowColor(const CColor& colour);
    virtual void setAlignment(CHoriTxtAlign alignment);
    // Takes precedence over the plain formatter; null turns it off.
    virtual void setFormatterWithData(CParamDisplayFormatterWithData formatter, void* userData);
    virtual void setFormatter(CParamDisplayFormatter formatter);
    virtual void setStyle(int32_t style);
    virtual void setTextFace(int32_t face);
    virtual void setTransparentText(bool transparent);

    int32_t getFont() const { return fontId_; }
    int32_t getStyle() const { return style_; }
    CHoriTxtAlign getAlignment() const { return alignment_; }
    // The text the display shows for its value.
    void formatValue(char (&text)[kParamDisplayTextBytes]) const;

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool isClass(const char* name) const override;

  protected:
    // Draws the background and then text as the style says; clean after.
    void drawWithText(CDrawContext* context, const char* text);

  private:
    void changeColour(CColor& field, const CColor& colour);

    CParamDisplayFormatter formatter_ = nullptr;
    CParamDisplayFormatterWithData formatterWithData_ = nullptr;
    void* formatterData_ = nullptr;
    int32_t style_;
    CHoriTxtAlign alignment_ = kCenterText;
    int32_t fontId_ = 3;
    int32_t textFace_ = 0;
    CColor fontColor_{255, 255, 255, 255};
    CColor backColor_{0, 0, 0, 255};
    CColor frameColor_{255, 255, 255, 255};
    CColor shadowColor_{0, 0, 0, 255};
    bool transparentText_ = true;
};

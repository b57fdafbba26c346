#include "gui/CParamDisplay.h"

#include <cstdio>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, -1, background), style_(style)
{
}

void CParamDisplay::changeColour(CColor& field, const CColor& colour)
{
    if (field != colour)
    {
        field = colour;
        setDirty(true);
    }
}

void CParamDisplay::setFont(int32_t fontId)
{
    if (fontId != fontId_)
    {
        fontId_ = fontId;
        setDirty(true);
    }
}

void CParamDisplay::setTextColor(const CColor& colour)
{
    changeColour(fontColor_, colour);
}

void CParamDisplay::setBackColor(const CColor& colour)
{
    changeColour(backColor_, colour);
}

void CParamDisplay::setBorderColor(const CColor& colour)
{
    changeColour(frameColor_, colour);
}

void CParamDisplay::setShadowColor(const CColor& colour)
{
    changeColour(shadowColor_, colour);
}

void CParamDisplay::setAlignment(CHoriTxtAlign alignment)
{
    if (alignment != alignment_)
    {
        alignment_ = alignment;
        setDirty(true);
    }
}

void CParamDisplay::setFormatterWithData(CParamDisplayFormatterWithData formatter, void* userData)
{
    formatterWithData_ = formatter;
    formatterData_ = userData;
}

void CParamDisplay::setFormatter(CParamDisplayFormatter formatter)
{
    formatter_ = formatter;
}

void CParamDisplay::setStyle(int32_t style)
{
    if (style != style_)
    {
        style_ = style;
        setDirty(true);
    }
}

void CParamDisplay::setTextFace(int32_t face)
{
    if (face != textFace_)
    {
        textFace_ = face;
        setDirty(true);
    }
}

void CParamDisplay::setTransparentText(bool transparent)
{
    if (transparent != transparentText_)
    {
        transparentText_ = transparent;
        setDirty(true);
    }
}

void CParamDisplay::formatValue(char (&text)[kParamDisplayTextBytes]) const
{
    text[0] = '\0';
    if (formatterWithData_ != nullptr)
    {
        formatterWithData_(getValue(), text, formatterData_);
    }
    else if (formatter_ != nullptr)
    {
        formatter_(getValue(), text);
    }
    else
    {
        std::snprintf(text, sizeof text, "%2.2f", double(getValue()));
    }
    text[kParamDisplayTextBytes - 1] = '\0';
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[kParamDisplayTextBytes];
    formatValue(text);
    drawWithText(context, text);
}

void CParamDisplay::drawWithText(CDrawContext* context, const char* text)
{
    setDirty(false);
    if ((style_ & kNoDrawStyle) != 0)
    {
        return;
    }
    CBitmap* background = getBackground();
    if (background != nullptr)
    {
        if (isTransparent())
        {
            background->drawTransparent(context, size_);
        }
        else
        {
            background->draw(context, size_);
        }
    }
    else if (!isTransparent())
    {
        context->setFillColor(backColor_);
        context->fillRect(size_);
        if ((style_ & (k3DIn | k3DOut | kNoFrame)) == 0)
        {
            context->setFrameColor(frameColor_);
            context->drawRect(size_);
        }
    }

    if ((style_ & (k3DIn | k3DOut)) != 0)
    {
        const bool in = (style_ & k3DIn) != 0;
        const int32_t right = size_.right - 1;
        const int32_t bottom = size_.bottom - 1;
        context->setFrameColor(in ? backColor_ : frameColor_);
        context->moveTo({size_.left, bottom});
        context->lineTo({size_.left, size_.top});
        context->lineTo({right, size_.top});
        context->setFrameColor(in ? frameColor_ : backColor_);
        context->lineTo({right, bottom});
        context->lineTo({size_.left, bottom});
    }

    if ((style_ & kNoTextStyle) != 0 || text == nullptr || text[0] == '\0')
    {
        return;
    }
    // Text stays inside the display, and inside whatever clip the caller set.
    const CRect savedClip = context->getClipRect();
    context->setClipRect(size_.intersected(savedClip));
    context->setFont(fontId_, 0, textFace_);
    if ((style_ & kShadowText) != 0)
    {
        context->setFontColor(shadowColor_);
        context->drawString(text, size_.moved({1, 1}), !transparentText_, alignment_);
    }
    context->setFontColor(fontColor_);
    context->drawString(text, size_, !transparentText_, alignment_);
    context->setClipRect(savedClip);
}

// A display takes the presses on it and does nothing with them, so that none reaches the
// control it overlaps.
void CParamDisplay::onMouseDown(CDrawContext*, CPoint, int32_t) {}

bool CParamDisplay::isClass(const char* name) const
{
    return sameClassName(name, "CParamDisplay") || CControl::isClass(name);
}

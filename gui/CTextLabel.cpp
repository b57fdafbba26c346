#include "gui/CTextLabel.h"

CTextLabel::CTextLabel(const CRect& size, const char* text) : CParamDisplay(size, nullptr, 0)
{
    setText(text);
}

void CTextLabel::setText(const char* text)
{
    text_ = text != nullptr ? text : "";
    setDirty(true);
}

void CTextLabel::draw(CDrawContext* context)
{
    drawWithText(context, text_.c_str());
}

bool CTextLabel::isClass(const char* name) const
{
    return sameClassName(name, "CTextLabel") || CParamDisplay::isClass(name);
}

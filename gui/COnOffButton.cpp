#include "gui/COnOffButton.h"

#include <cmath>

#include "gui/CBitmap.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, int32_t tag,
                           CBitmap* strip, int32_t style)
    : CControl(size, listener, tag, strip), style_(style)
{
}

void COnOffButton::draw(CDrawContext* context)
{
    CBitmap* strip = getBackground();
    if (strip != nullptr)
    {
        const CPoint source{0, getValue() != 0.0f ? strip->getHeight() / 2 : 0};
        if (isTransparent())
        {
            strip->drawTransparent(context, size_, source);
        }
        else
        {
            strip->draw(context, size_, source);
        }
    }
    setDirty(false);
}

void COnOffButton::tellListener(CDrawContext* context)
{
    beginEdit();
    notify(context);
    endEdit();
}

void COnOffButton::onMouseDown(CDrawContext* context, CPoint, int32_t buttons)
{
    if (!startPress(context, buttons))
    {
        return;
    }
    setValue(std::trunc(getValue()) == 0.0f ? 1.0f : 0.0f);
    if (style_ == kPreListenerUpdate)
    {
        tellListener(context);
    }
    idlePump();
    if (style_ == kPostListenerUpdate)
    {
        tellListener(context);
    }
}

bool COnOffButton::isClass(const char* name) const
{
    return sameClassName(name, "COnOffButton") || CControl::isClass(name);
}

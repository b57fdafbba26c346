#include "gui/COptionMenu.h"

#include <algorithm>
#include <cmath>

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                         CBitmap* background)
    : CParamDisplay(size, background, 0)
{
    listener_ = listener;
    tag_ = tag;
    enableMouse(true);
}

void COptionMenu::addEntry(const char* text)
{
    entries_.emplace_back(text != nullptr ? text : "");
    setMax(float(entries_.size() - 1));
    setDirty(true);
}

const char* COptionMenu::getEntry(int32_t index) const
{
    return index >= 0 && index < getNbEntries() ? entries_[size_t(index)].c_str() : nullptr;
}

int32_t COptionMenu::getCurrentIndex() const
{
    if (entries_.empty())
    {
        return -1;
    }
    return int32_t(std::clamp(std::round(getValue()), 0.0f, float(entries_.size() - 1)));
}

void COptionMenu::draw(CDrawContext* context)
{
    drawWithText(context, getEntry(getCurrentIndex()));
}

void COptionMenu::onMouseDown(CDrawContext* context, CPoint, int32_t buttons)
{
    if (entries_.empty() || !startPress(context, buttons))
    {
        return;
    }
    beginEdit();
    setValue(float((getCurrentIndex() + 1) % getNbEntries()));
    notifyIfDirty(context);
    endEdit();
}

bool COptionMenu::isClass(const char* name) const
{
    return sameClassName(name, "COptionMenu") || CParamDisplay::isClass(name);
}

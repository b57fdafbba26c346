#include "gui/CControl.h"

#include <algorithm>
#include <cmath>

#include "gui/CControlListener.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/MouseButtons.h"
#include "gui/platform/InputSource.h"

namespace
{
constexpr int32_t kMinDoubleClickMs = 250;
}

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), listener_(listener), tag_(tag),
      doubleClickInterval_(std::max(platform::currentInput().doubleClickTime(), kMinDoubleClickMs))
{
    setMouseArea(size);
    enableMouse(true);
    if (background != nullptr)
    {
        setBackground(background);
    }
    CControl::setDirty(true);
}

void CControl::idlePump()
{
    if (getFrame() != nullptr)
    {
        getFrame()->idlePump();
    }
}

void CControl::setValue(float value)
{
    if (std::isfinite(value))
    {
        setValueUnchecked(value);
    }
}

void CControl::beginEdit()
{
    if (getFrame() != nullptr)
    {
        getFrame()->setFocusView(this);
        getFrame()->beginEdit(tag_);
    }
}

void CControl::endEdit()
{
    if (getFrame() != nullptr)
    {
        getFrame()->endEdit(tag_);
    }
}

void CControl::clampValue()
{
    float value = getValue();
    if (value > max_)
    {
        value = max_;
    }
    if (value < min_)
    {
        value = min_;
    }
    setValueUnchecked(value);
}

bool CControl::resetOnDoubleClick(CDrawContext* context, int32_t buttons)
{
    if (buttons != (kLButton | kControl))
    {
        if (buttons != kLButton)
        {
            return false;
        }
        const int64_t ticks = getFrame() != nullptr ? int64_t(getFrame()->getTicks()) : 0;
        if (lastClickTicks_ < 1 || ticks >= int64_t(lastClickTicks_) + doubleClickInterval_)
        {
            lastClickTicks_ = int32_t(uint32_t(ticks));
            return false;
        }
        lastClickTicks_ = 0;
    }
    beginEdit();
    setValue(defaultValue_);
    notifyIfDirty(context);
    endEdit();
    return true;
}

bool CControl::isDirty() const
{
    return getValue() != drawnValue_ || CView::isDirty();
}

void CControl::setDirty(bool dirty)
{
    CView::setDirty(dirty);
    const float value = getValue();
    if (dirty)
    {
        drawnValue_ = value == -1.0f ? 0.0f : -1.0f;
    }
    else
    {
        drawnValue_ = value;
    }
}

bool CControl::isClass(const char* name) const
{
    return sameClassName(name, "CControl") || CView::isClass(name);
}

bool CControl::startPress(CDrawContext* context, int32_t& buttons)
{
    if (!mouseEnabled())
    {
        return false;
    }
    if (buttons == kReadButtons)
    {
        buttons = readButtons(context);
    }
    if ((buttons & kLButton) == 0)
    {
        return false;
    }
    return listener_ == nullptr || (buttons & kModifierMask) == 0 ||
           listener_->onModifierClick(context, this, buttons) == 0;
}

int32_t CControl::readButtons(CDrawContext* context)
{
    return context != nullptr ? context->getMouseButtons()
                              : platform::currentInput().mouseButtons();
}

int32_t CControl::trackedButtons(CDrawContext* context) const
{
    const CFrame* frame = getFrame();
    return frame != nullptr && frame->isRetired() ? 0 : readButtons(context);
}

void CControl::notifyIfDirty(CDrawContext* context)
{
    if (isDirty())
    {
        notify(context);
    }
}

void CControl::notify(CDrawContext* context)
{
    if (listener_ != nullptr)
    {
        listener_->onValueChanged(context, this);
    }
}

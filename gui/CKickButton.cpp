#include "gui/CKickButton.h"

#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/MouseButtons.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                         int32_t imageHeight, CBitmap* strip, const CPoint& offset)
    : CControl(size, listener, tag, strip), offset_(offset), imageHeight_(imageHeight)
{
}

void CKickButton::draw(CDrawContext* context)
{
    clampValue();
    CBitmap* strip = getBackground();
    if (strip != nullptr)
    {
        const CPoint source = offset_ + CPoint{0, getValue() != 0.0f ? imageHeight_ : 0};
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

void CKickButton::onMouseDown(CDrawContext* context, CPoint where, int32_t buttons)
{
    if (!startPress(context, buttons))
    {
        return;
    }
    const float entry = getValue();
    const float pressed = entry == 0.0f ? 1.0f : 0.0f;
    beginEdit();
    buttons = readButtons(context);
    if (buttons == kLButton)
    {
        CFrame* frame = getFrame();
        while (buttons == kLButton)
        {
            setValue(size_.containsInclusive(where) ? pressed : entry);
            notifyIfDirty(context);
            if (frame != nullptr)
            {
                frame->getMousePosition(where);
            }
            idlePump();
            buttons = trackedButtons(context);
        }
    }
    else
    {
        // Pressed with other buttons or modifiers: one toggle, no tracking.
        setValue(pressed);
        notify(context);
    }
    setValue(0.0f);
    notify(context);
    endEdit();
}

bool CKickButton::isClass(const char* name) const
{
    return sameClassName(name, "CKickButton") || CControl::isClass(name);
}

#include "gui/CSlider.h"

#include <algorithm>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/MouseButtons.h"

namespace
{
constexpr int32_t kVerticalSliderStyle = kSliderVertical | kSliderMaxAtStart;
}

CSlider::CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t firstPosition,
                 int32_t lastPosition, CBitmap* handle, CBitmap* background, const CPoint& offset,
                 int32_t style)
    : CControl(size, listener, tag, background), handle_(handle), offset_(offset),
      handleWidth_(handle != nullptr ? handle->getWidth() : 1),
      handleHeight_(handle != nullptr ? handle->getHeight() : 1), firstPosition_(firstPosition),
      travel_(lastPosition - firstPosition), style_(style)
{
    if (handle_ != nullptr)
    {
        handle_->retain();
    }
    setAcceptsFocus(true);
}

CSlider::~CSlider()
{
    if (handle_ != nullptr)
    {
        handle_->release();
    }
}

CRect CSlider::handleRect() const
{
    const float span = getMax() - getMin();
    float normalised = span != 0.0f ? (getValue() - getMin()) / span : 0.0f;
    if ((style_ & kSliderMaxAtStart) != 0)
    {
        normalised = 1.0f - normalised;
    }
    const int32_t low = std::min(firstPosition_, firstPosition_ + travel_);
    const int32_t high = std::max(firstPosition_, firstPosition_ + travel_);
    const int32_t position =
        std::clamp(int32_t(float(firstPosition_) + float(travel_) * normalised), low, high);
    if (vertical())
    {
        return rectAt(size_.left + handleOffset_.h, position + handleOffset_.v, handleWidth_,
                      handleHeight_);
    }
    return rectAt(position + handleOffset_.h, size_.top + handleOffset_.v, handleWidth_,
                  handleHeight_);
}

float CSlider::valueAtPosition(float position) const
{
    float normalised = (position - float(firstPosition_)) / float(travel_);
    if ((style_ & kSliderMaxAtStart) != 0)
    {
        normalised = 1.0f - normalised;
    }
    return getMin() + normalised * (getMax() - getMin());
}

void CSlider::draw(CDrawContext* context)
{
    CBitmap* background = getBackground();
    if (background != nullptr)
    {
        if (isTransparent())
        {
            background->drawTransparent(context, size_, offset_);
        }
        else
        {
            background->draw(context, size_, offset_);
        }
    }
    if (handle_ != nullptr)
    {
        handle_->drawTransparent(context, handleRect());
    }
    setDirty(false);
}

void CSlider::onMouseDown(CDrawContext* context, CPoint where, int32_t buttons)
{
    if (!startPress(context, buttons) || resetOnDoubleClick(context, buttons) || travel_ == 0)
    {
        return;
    }
    auto along = [this](const CPoint& point) { return vertical() ? point.v : point.h; };
    const CRect handle = handleRect();
    // The grab point: where inside the handle the pointer holds it.
    int32_t grab = 0;
    if (freeClick_)
    {
        grab = (vertical() ? handleHeight_ : handleWidth_) / 2;
    }
    else if (handle.containsInclusive(where))
    {
        grab = along(where) - along(handle.topLeft());
    }
    else
    {
        return;
    }

    beginEdit();
    CFrame* frame = getFrame();
    bool fine = false;
    float fineEntry = 0.0f;
    float fineStart = 0.0f;
    int32_t held = buttons;
    do
    {
        buttons = trackedButtons(context);
        // The turn that finds the button released still places the handle at the last
        // pointer position, with the modifiers that were held until then.
        if ((buttons & kLButton) != 0)
        {
            held = buttons;
        }
        const float followed = valueAtPosition(float(along(where) - grab));
        if ((held & kShift) != 0)
        {
            if (!fine)
            {
                fine = true;
                fineEntry = getValue();
                fineStart = followed;
            }
            setValue(fineEntry + (followed - fineStart) / fineFactor_);
        }
        else
        {
            fine = false;
            setValue(followed);
        }
        clampValue();
        notifyIfDirty(context);
        if (frame != nullptr)
        {
            frame->getMousePosition(where);
        }
        idlePump();
    } while ((buttons & kLButton) != 0);
    endEdit();
}

bool CSlider::isClass(const char* name) const
{
    return sameClassName(name, "CSlider") || CControl::isClass(name);
}

CVerticalSlider::CVerticalSlider(const CRect& size, CControlListener* listener, int32_t tag,
                                 int32_t firstPosition, int32_t lastPosition, CBitmap* handle,
                                 CBitmap* background, const CPoint& offset)
    : CSlider(size, listener, tag, firstPosition, lastPosition, handle, background, offset,
              kVerticalSliderStyle)
{
}

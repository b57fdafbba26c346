#include "gui/CKnob.h"

#include <cmath>
#include <limits>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/MouseButtons.h"

namespace
{
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kDefaultStartAngle = 5.0f * kPi / 4.0f;
constexpr float kDefaultRangeAngle = -3.0f * kPi / 2.0f;
constexpr int32_t kLinearKnobMode = 2;
constexpr float kLinearStartPixels = 360.0f;
constexpr float kLinearPixels = 200.0f;
constexpr float kFineStep = 0.1f;

// Brings an angle into 0..2pi.
float wrapped(float angle)
{
    if (angle < 0.0f)
    {
        angle += kTwoPi;
    }
    else if (angle > kTwoPi)
    {
        angle -= kTwoPi;
    }
    return angle;
}

int32_t truncated(double position)
{
    if (!std::isfinite(position))
    {
        return 0;
    }
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    return int32_t(std::clamp(position, -kLimit, kLimit));
}
} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
             CBitmap* handle, const CPoint& offset)
    : CControl(size, listener, tag, background), offset_(offset), handle_(handle),
      inset_(handle != nullptr ? truncated(handle->getWidth() / 2.0 + 2.5) : 3),
      radius_(float(size.width()) / 2.0f)
{
    if (handle_ != nullptr)
    {
        handle_->retain();
    }
    setAcceptsFocus(true);
    CKnob::setStartAngle(kDefaultStartAngle);
    CKnob::setRangeAngle(kDefaultRangeAngle);
}

CKnob::~CKnob()
{
    if (handle_ != nullptr)
    {
        handle_->release();
    }
}

void CKnob::computeCoefficients()
{
    aCoef_ = (getMax() - getMin()) / rangeAngle_;
    bCoef_ = getMin() - startAngle_ * aCoef_;
    halfAngle_ = (kTwoPi - std::fabs(rangeAngle_)) / 2.0f;
    setDirty(true);
}

void CKnob::setStartAngle(float angle)
{
    startAngle_ = angle;
    computeCoefficients();
}

void CKnob::setRangeAngle(float angle)
{
    rangeAngle_ = angle;
    computeCoefficients();
}

void CKnob::setShadowColor(const CColor& colour)
{
    shadowColor_ = colour;
    setDirty(true);
}

void CKnob::setHandleColor(const CColor& colour)
{
    handleColor_ = colour;
    setDirty(true);
}

void CKnob::setHandleImage(CBitmap* handle)
{
    if (handle != nullptr)
    {
        handle->retain();
    }
    if (handle_ != nullptr)
    {
        handle_->release();
    }
    handle_ = handle;
    setDirty(true);
}

float CKnob::angleOfValue() const
{
    // A knob without range (min equal to max, or a zero range angle) keeps its start.
    const float angle = (getValue() - bCoef_) / aCoef_;
    return std::isfinite(angle) && aCoef_ != 0.0f ? angle : startAngle_;
}

CPoint CKnob::handlePointOf() const
{
    const float angle = angleOfValue();
    const float reach = radius_ - float(inset_);
    return {truncated(radius_ + std::cos(angle) * reach + 0.5f),
            truncated(radius_ - std::sin(angle) * reach + 0.5f)};
}

float CKnob::valueAtPoint(const CPoint& where) const
{
    float alpha = std::atan2(radius_ - float(where.v), float(where.h) - radius_);
    if (alpha < 0.0f)
    {
        alpha += kTwoPi;
    }
    float alpha2 = alpha - startAngle_;
    const float range = rangeAngle_;
    if (range < 0.0f)
    {
        alpha2 -= range;
        const float alpha3 = wrapped(alpha2);
        if (alpha3 > halfAngle_ - range)
        {
            return getMax();
        }
        if (alpha3 > -range)
        {
            return getMin();
        }
        if (alpha2 > halfAngle_ - range)
        {
            alpha2 -= kTwoPi;
        }
        else if (alpha2 < -halfAngle_)
        {
            alpha2 += kTwoPi;
        }
        return getMax() + aCoef_ * alpha2;
    }
    const float alpha3 = wrapped(alpha2);
    if (alpha3 > range + halfAngle_)
    {
        return getMin();
    }
    if (alpha3 > range)
    {
        return getMax();
    }
    if (alpha2 > halfAngle_ + range)
    {
        alpha2 -= kTwoPi;
    }
    else if (alpha2 < -halfAngle_)
    {
        alpha2 += kTwoPi;
    }
    return getMin() + aCoef_ * alpha2;
}

void CKnob::drawBackground(CDrawContext* context)
{
    CBitmap* background = getBackground();
    if (background == nullptr)
    {
        return;
    }
    if (isTransparent())
    {
        background->drawTransparent(context, size_, offset_);
    }
    else
    {
        background->draw(context, size_, offset_);
    }
}

void CKnob::draw(CDrawContext* context)
{
    drawBackground(context);
    paintHandle(context);
    setDirty(false);
}

void CKnob::paintHandle(CDrawContext* context)
{
    const CPoint point = size_.topLeft() + handlePointOf();
    if (handle_ != nullptr)
    {
        const int32_t width = handle_->getWidth();
        const int32_t height = handle_->getHeight();
        handle_->drawTransparent(context,
                                 rectAt(point.h - width / 2, point.v - height / 2, width, height));
        return;
    }
    const CPoint centre{size_.left + size_.width() / 2, size_.top + size_.height() / 2};
    context->setFrameColor(shadowColor_);
    context->moveTo(point - CPoint{1, 0});
    context->lineTo(centre - CPoint{1, 0});
    context->setFrameColor(handleColor_);
    context->moveTo(point - CPoint{0, 1});
    context->lineTo(centre - CPoint{0, 1});
}

void CKnob::onMouseDown(CDrawContext* context, CPoint where, int32_t buttons)
{
    if (!startPress(context, buttons) || resetOnDoubleClick(context, buttons))
    {
        return;
    }
    CFrame* frame = getFrame();
    bool linear = frame != nullptr && frame->knobMode() == kLinearKnobMode;
    if ((buttons & kAlt) != 0)
    {
        linear = !linear;
    }
    const float span = getMax() - getMin();
    const bool fine = (buttons & kShift) != 0;
    const CPoint first = where;
    float old = 0.0f;
    float coefficient = span / (fine ? fineFactor_ * kLinearStartPixels : kLinearStartPixels);
    float entry = getValue();
    if (!linear)
    {
        old = valueAtPoint(where - size_.topLeft());
    }

    beginEdit();
    CPoint last{-1, -1};
    const float middle = span / 2.0f;
    int32_t seenButtons = buttons;
    do
    {
        buttons = trackedButtons(context);
        if (where != last)
        {
            last = where;
            if (linear)
            {
                const float diff = float((where.h - first.h) + (first.v - where.v));
                if (buttons != seenButtons)
                {
                    // A new coefficient from here on, with the entry value moved so that
                    // the value stays where it is.
                    const float pixels =
                        (buttons & kShift) != 0 ? fineFactor_ * kLinearPixels : kLinearPixels;
                    const float newCoefficient = span / pixels;
                    entry += diff * (coefficient - newCoefficient);
                    coefficient = newCoefficient;
                    seenButtons = buttons;
                }
                setValue(entry + diff * coefficient);
                clampValue();
            }
            else
            {
                const float value = valueAtPoint(where - size_.topLeft());
                if (old - value > middle)
                {
                    setValue(getMax());
                }
                else if (value - old > middle)
                {
                    setValue(getMin());
                }
                else
                {
                    setValue(value);
                    old = value;
                }
            }
            notifyIfDirty(context);
        }
        if (frame != nullptr)
        {
            frame->getMousePosition(where);
        }
        idlePump();
    } while ((buttons & kLButton) != 0);
    endEdit();
}

void CKnob::step(CDrawContext* context, float delta)
{
    setValue(getValue() + delta);
    clampValue();
    if (isDirty() && listener_ != nullptr)
    {
        beginEdit();
        notify(context);
        endEdit();
    }
}

bool CKnob::onWheel(CDrawContext* context, CPoint, float distance)
{
    if (!mouseEnabled())
    {
        return false;
    }
    const int32_t buttons = readButtons(context);
    step(context, getWheelStep() * distance * ((buttons & kShift) != 0 ? kFineStep : 1.0f));
    return true;
}

int32_t CKnob::onKeyDown(const CKeyCode& key)
{
    float direction = 0.0f;
    if (key.virt == kVirtualKeyLeft || key.virt == kVirtualKeyDown)
    {
        direction = -1.0f;
    }
    else if (key.virt == kVirtualKeyUp || key.virt == kVirtualKeyRight)
    {
        direction = 1.0f;
    }
    else
    {
        return -1;
    }
    const float fine = (key.modifier & kModifierShift) != 0 ? kFineStep : 1.0f;
    step(nullptr, direction * getWheelStep() * fine);
    return 1;
}

bool CKnob::isClass(const char* name) const
{
    return sameClassName(name, "CKnob") || CControl::isClass(name);
}

#include "gui/CAnimKnob.h"

#include <algorithm>

#include "gui/CBitmap.h"

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
                     int32_t frameHeight, CBitmap* strip, const CPoint& offset)
    : CKnob(size, listener, tag, strip, nullptr, offset), frameCount_(frameCount),
      frameHeight_(frameHeight)
{
}

int32_t CAnimKnob::frameOffset() const
{
    const float value = getValue();
    if (value < 0.0f || frameCount_ < 1 || frameHeight_ < 1)
    {
        return 0;
    }
    const int32_t span = frameHeight_ * (frameCount_ - 1);
    const float position = float(span) * (inverse_ ? 1.0f - value : value);
    // Values above the maximum show the last frame rather than reading past the strip.
    const int32_t y = int32_t(std::clamp(position, 0.0f, float(span)));
    return y - y % frameHeight_;
}

void CAnimKnob::draw(CDrawContext* context)
{
    CBitmap* strip = getBackground();
    if (strip != nullptr)
    {
        const CPoint source{0, frameOffset()};
        if (isTransparent())
        {
            strip->drawTransparent(context, size_, source);
        }
        else
        {
            strip->draw(context, size_, source);
        }
    }
    lastDrawnFrame_ = frameOffset();
    setDirty(false);
}

bool CAnimKnob::isDirty() const
{
    if (!CView::isDirty() && frameOffset() == lastDrawnFrame_)
    {
        return false;
    }
    return CKnob::isDirty();
}

bool CAnimKnob::isClass(const char* name) const
{
    return sameClassName(name, "CAnimKnob") || CKnob::isClass(name);
}

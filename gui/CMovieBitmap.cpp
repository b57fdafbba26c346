#include "gui/CMovieBitmap.h"

#include <algorithm>

#include "gui/CBitmap.h"

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag,
                           int32_t frameCount, int32_t frameHeight, CBitmap* strip,
                           const CPoint& offset)
    : CControl(size, listener, tag, strip), offset_(offset), frameCount_(frameCount),
      frameHeight_(frameHeight)
{
}

int32_t CMovieBitmap::frameIndex() const
{
    const float value = std::min(getValue(), 1.0f);
    if (!(value > 0.0f) || frameCount_ < 2)
    {
        return 0;
    }
    return int32_t(float(frameCount_ - 1) * value + 0.5f);
}

void CMovieBitmap::draw(CDrawContext* context)
{
    if (getValue() > 1.0f)
    {
        setValue(1.0f);
    }
    CBitmap* strip = getBackground();
    if (strip != nullptr)
    {
        const CPoint source{offset_.h, offset_.v + frameIndex() * std::max(frameHeight_, 0)};
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

bool CMovieBitmap::isClass(const char* name) const
{
    return sameClassName(name, "CMovieBitmap") || CControl::isClass(name);
}

#include "gui/CVuMeter.h"

#include <algorithm>
#include <cmath>

#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"

namespace
{
constexpr CColor kOffscreenColour{0, 0, 0, 255};

void drawSlice(CBitmap* bitmap, CDrawContext* context, const CRect& rect, const CPoint& source,
               bool transparent)
{
    if (bitmap == nullptr || rect.isEmpty())
    {
        return;
    }
    if (transparent)
    {
        bitmap->drawTransparent(context, rect, source);
    }
    else
    {
        bitmap->draw(context, rect, source);
    }
}
} // namespace

CVuMeter::CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, int32_t ledCount)
    : CControl(size, nullptr, 0), onBitmap_(onBitmap), offBitmap_(offBitmap), ledCount_(ledCount)
{
    if (onBitmap_ != nullptr)
    {
        onBitmap_->retain();
    }
    if (offBitmap_ != nullptr)
    {
        offBitmap_->retain();
    }
}

CVuMeter::~CVuMeter()
{
    if (onBitmap_ != nullptr)
    {
        onBitmap_->release();
    }
    if (offBitmap_ != nullptr)
    {
        offBitmap_->release();
    }
    if (offscreen_ != nullptr)
    {
        offscreen_->release();
    }
}

void CVuMeter::setDecreaseStep(float step)
{
    if (std::isfinite(step))
    {
        decreaseStep_ = step;
    }
}

void CVuMeter::draw(CDrawContext* context)
{
    if (onBitmap_ == nullptr)
    {
        // Nothing to show: count the target as reached so the frame stops redrawing it.
        setDrawnValue(getValue());
        CView::setDirty(false);
        return;
    }
    clampValue();
    const float position = nextPosition();
    setDrawnValue(position);
    const int32_t split = splitRow(position);
    if (offscreen_ == nullptr)
    {
        makeOffscreen();
    }
    if (offscreen_->device() != nullptr)
    {
        drawBar(offscreen_, {0, 0}, split);
        offscreen_->copyTo(context, size_);
    }
    else
    {
        drawBar(context, size_.topLeft(), split);
    }
    CView::setDirty(false);
}

void CVuMeter::setDirty(bool dirty)
{
    CView::setDirty(dirty);
}

bool CVuMeter::onAttached(CViewContainer* parent)
{
    // A context made before the meter had a frame is replaced by one that knows it.
    makeOffscreen();
    return CControl::onAttached(parent);
}

bool CVuMeter::onRemoved(CViewContainer* parent)
{
    if (offscreen_ != nullptr)
    {
        offscreen_->release();
        offscreen_ = nullptr;
    }
    return CControl::onRemoved(parent);
}

bool CVuMeter::isClass(const char* name) const
{
    return sameClassName(name, "CVuMeter") || CControl::isClass(name);
}

float CVuMeter::nextPosition() const
{
    const float target = getValue();
    const float stepped = getDrawnValue() - decreaseStep_;
    const float position =
        decreaseStep_ >= 0.0f ? std::max(stepped, target) : std::min(stepped, target);
    // A drawn value from outside the range (or none yet) must not carry the bar past its ends.
    return std::isfinite(position) ? std::clamp(position, getMin(), getMax()) : target;
}

int32_t CVuMeter::splitRow(float position) const
{
    if (ledCount_ < 1)
    {
        return 0;
    }
    const auto ledsOff = int32_t((getMax() - position) * float(ledCount_) + 0.5f);
    const auto rows = int32_t(float(ledsOff) / float(ledCount_) * float(onBitmap_->getHeight()));
    return std::clamp(rows, 0, size_.height());
}

void CVuMeter::drawBar(CDrawContext* context, const CPoint& origin, int32_t split)
{
    const CRect offRect = rectAt(origin.h, origin.v, size_.width(), split);
    const CRect onRect{origin.h, origin.v + split, origin.h + size_.width(),
                       origin.v + size_.height()};
    drawSlice(offBitmap_, context, offRect, {0, 0}, isTransparent());
    drawSlice(onBitmap_, context, onRect, {0, split}, isTransparent());
}

void CVuMeter::makeOffscreen()
{
    if (offscreen_ != nullptr)
    {
        offscreen_->release();
    }
    offscreen_ = new COffscreenContext(getFrame(), size_.width(), size_.height(), kOffscreenColour);
}

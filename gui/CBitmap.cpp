#include "gui/CBitmap.h"

#include "gui/CDrawContext.h"
#include "gui/platform/Platform.h"

CBitmap::CBitmap(int32_t resourceId) : resourceId_(resourceId)
{
    loadFromResource(resourceId);
}

CBitmap::~CBitmap()
{
    // Not through the virtual operation: a derived part is already gone here.
    image_.reset();
}

void CBitmap::dispose()
{
    image_.reset();
    width_ = 0;
    height_ = 0;
}

bool CBitmap::loadFromResource(int32_t resourceId)
{
    dispose();
    resourceId_ = resourceId;
    image_ = platform::loadResourceBitmap(resourceId);
    if (!image_)
    {
        return false;
    }
    width_ = image_->width();
    height_ = image_->height();
    return true;
}

bool CBitmap::loadFromPath(const char*)
{
    dispose();
    return false;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& sourceOffset)
{
    if (image_ && context != nullptr && context->device() != nullptr)
    {
        context->device()->drawBitmap(*image_, rect.moved(context->getOffset()), sourceOffset);
    }
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& sourceOffset)
{
    if (image_ && context != nullptr && context->device() != nullptr)
    {
        context->device()->drawBitmapTransparent(*image_, rect.moved(context->getOffset()),
                                                 sourceOffset, transparentColor_);
    }
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& sourceOffset,
                             uint8_t alpha)
{
    if (image_ && context != nullptr && context->device() != nullptr)
    {
        context->device()->drawBitmapAlpha(*image_, rect.moved(context->getOffset()), sourceOffset,
                                           alpha);
    }
}

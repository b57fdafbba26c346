// An image from the binary's bitmap resources, drawn opaquely, skipping a transparent
// colour, or mixed with a constant alpha.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/CReferenceCounter.h"
#include "gui/GuiTypes.h"
#include "gui/platform/DrawDevice.h"

class CDrawContext;

class CBitmap : public CReferenceCounter
{
  public:
    // Loads resource resourceId; a missing one leaves width and height 0.
    explicit CBitmap(int32_t resourceId);
    ~CBitmap() override;

    // Copies rect's size from sourceOffset of the image to rect (the context's offset applied).
    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& sourceOffset = {});
    // As draw, leaving the pixels of the transparent colour alone.
    virtual void drawTransparent(CDrawContext* context, const CRect& rect,
                                 const CPoint& sourceOffset = {});
    // As draw, mixed with what is there: alpha 255 covers, 128 mixes halfway, 0 leaves it.
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect,
                                const CPoint& sourceOffset, uint8_t alpha);
    // Drops the image; width and height become 0.
    virtual void dispose();
    virtual bool loadFromResource(int32_t resourceId);
    // Bitmaps come only from resources: disposes and answers false.
    virtual bool loadFromPath(const char* path);

    int32_t getResourceId() const { return resourceId_; }
    int32_t getWidth() const { return width_; }
    int32_t getHeight() const { return height_; }
    bool isLoaded() const { return image_ != nullptr; }
    void setTransparentColor(const CColor& colour) { transparentColor_ = colour; }
    CColor getTransparentColor() const { return transparentColor_; }

  private:
    int32_t resourceId_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    CColor transparentColor_{255, 255, 255, 0};
    std::unique_ptr<PlatformBitmap> image_;
};

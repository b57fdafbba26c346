// A frame's window that exists only in memory: an image of the frame's size that window
// drawing contexts draw into. Used without a window system (tests, snapshots).
#pragma once

#include "gui/PixelImage.h"
#include "gui/platform/FrameWindow.h"

class HeadlessWindow : public FrameWindow
{
  public:
    HeadlessWindow(int32_t width, int32_t height);

    std::unique_ptr<DrawDevice> createDevice() override;
    CPoint screenOrigin() const override { return {}; }
    void* handle() const override { return nullptr; }
    // A new image of the size, cleared: the frame draws itself into it again.
    void resize(int32_t width, int32_t height, bool hostResized) override;

    // What has been drawn into the window so far.
    const PixelImage& image() const { return image_; }

  private:
    PixelImage image_;
};

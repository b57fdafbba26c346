#include "GuiTestSupport.h"

#include <cstdio>

#include "gui/CDrawContext.h"
#include "gui/platform/InputSource.h"

namespace
{
void put32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}

void put16(std::vector<unsigned char>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
} // namespace

std::vector<unsigned char> encodeBmp(const PixelImage& image)
{
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) / 4 * 4;
    const uint32_t dataBytes = rowBytes * uint32_t(image.height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + dataBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, uint32_t(image.width));
    put32(out, uint32_t(image.height));
    put16(out, 1);
    put16(out, 24);
    for (int i = 0; i < 6; ++i)
    {
        put32(out, 0);
    }
    for (int32_t y = image.height - 1; y >= 0; --y)
    {
        for (int32_t x = 0; x < image.width; ++x)
        {
            const uint32_t pixel = image.at(x, y);
            out.push_back(uint8_t(pixel));
            out.push_back(uint8_t(pixel >> 8));
            out.push_back(uint8_t(pixel >> 16));
        }
        out.resize(out.size() + rowBytes - uint32_t(image.width) * 3, 0);
    }
    return out;
}

PixelImage solidImage(int32_t width, int32_t height, uint32_t pixel)
{
    return {width, height, std::vector<uint32_t>(size_t(width) * size_t(height), pixel)};
}

PixelImage numberedStrip(int32_t width, int32_t frameHeight, int32_t frameCount)
{
    PixelImage strip = solidImage(width, frameHeight * frameCount, 0);
    for (int32_t y = 0; y < strip.height; ++y)
    {
        for (int32_t x = 0; x < width; ++x)
        {
            strip.pixels[size_t(y * width + x)] = uint32_t(y / frameHeight + 1);
        }
    }
    return strip;
}

TestBitmaps::~TestBitmaps()
{
    setBitmapResources({});
}

void TestBitmaps::add(int32_t id, const PixelImage& image)
{
    files_.push_back(encodeBmp(image));
    table_.clear();
    for (size_t i = 0; i < files_.size(); ++i)
    {
        table_.push_back({0, files_[i].data(), files_[i].size()});
    }
    ids_.push_back(id);
    for (size_t i = 0; i < table_.size(); ++i)
    {
        table_[i].id = ids_[i];
    }
    setBitmapResources(table_);
}

CRect inkBounds(const PixelImage& image, uint32_t background)
{
    CRect bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < image.height; ++y)
    {
        for (int32_t x = 0; x < image.width; ++x)
        {
            if (image.at(x, y) != background)
            {
                bounds = {std::min(bounds.left, x), std::min(bounds.top, y),
                          std::max(bounds.right, x + 1), std::max(bounds.bottom, y + 1)};
            }
        }
    }
    return bounds.isEmpty() ? CRect{} : bounds;
}

void RecordingOwner::beginEdit(int32_t tag)
{
    log_.push_back("begin " + std::to_string(tag));
}

void RecordingOwner::endEdit(int32_t tag)
{
    log_.push_back("end " + std::to_string(tag));
}

void RecordingOwner::idlePump()
{
    ++pumps_;
    if (logPumps_)
    {
        log_.push_back("pump");
    }
    if (frame_ != nullptr)
    {
        frame_->idle();
    }
    input_.advance();
}

void RecordingListener::onValueChanged(CDrawContext*, CControl* control)
{
    char text[64];
    std::snprintf(text, sizeof text, "value %d %.3f", control->getTag(),
                  double(control->getValue()));
    log_.push_back(text);
    values.push_back(control->getValue());
    control->setDirty(true);
}

int32_t RecordingListener::onModifierClick(CDrawContext*, CControl* control, int32_t buttons)
{
    log_.push_back("modifier " + std::to_string(control->getTag()) + " " + std::to_string(buttons));
    return claimModifierClicks ? 1 : 0;
}

HeadlessFrameFixture::HeadlessFrameFixture(int32_t width, int32_t height)
    : frame(new CFrame({0, 0, width, height}, nullptr, &owner))
{
    platform::installInput(&input);
    owner.setFrame(frame);
    frame->setPanelColor({0, 0, 0, 255});
}

HeadlessFrameFixture::~HeadlessFrameFixture()
{
    frame->release();
    platform::installInput(nullptr);
}

void HeadlessFrameFixture::paint()
{
    frame->draw(nullptr);
}

PixelImage HeadlessFrameFixture::windowPixels()
{
    CDrawContext window(frame);
    return window.readPixels();
}

void HeadlessFrameFixture::press(const CPoint& point, int32_t buttons)
{
    frame->onMouseDown(nullptr, point, buttons);
}

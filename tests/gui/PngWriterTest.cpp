// PNG output of an off-screen context, read back with libpng.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <png.h>

#include "GuiTestSupport.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/PngWriter.h"

namespace
{
std::string temporaryPath(const char* name)
{
    return testing::TempDir() + name;
}

// The file's pixels as 0x00RRGGBB, or an empty image when it cannot be read.
PixelImage readPng(const std::string& path)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
    {
        return {};
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr) == 0)
    {
        return {};
    }
    PixelImage image{int32_t(png.width), int32_t(png.height), {}};
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
    {
        image.pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    }
    return image;
}
} // namespace

TEST(PngWriter, WritesEveryPixelOfAnOffscreenContext)
{
    COffscreenContext context(nullptr, 17, 9, {10, 20, 30, 255});
    context.setFillColor({200, 100, 50, 255});
    context.fillRect({2, 2, 12, 7});
    context.setFrameColor({0, 255, 0, 255});
    context.drawRect({0, 0, 17, 9});
    const std::string path = temporaryPath("vrn07-gui-png-test.png");
    ASSERT_TRUE(writePng(context, path.c_str()));
    const PixelImage back = readPng(path);
    std::remove(path.c_str());
    EXPECT_EQ(back.width, 17);
    EXPECT_EQ(back.height, 9);
    EXPECT_EQ(back.pixels, context.readPixels().pixels);
}

TEST(PngWriter, RefusesEmptyImagesAndUnwritablePaths)
{
    COffscreenContext empty(nullptr, 0, 0, {0, 0, 0, 255});
    EXPECT_FALSE(writePng(empty, temporaryPath("vrn07-gui-empty.png").c_str()));
    COffscreenContext small(nullptr, 2, 2, {0, 0, 0, 255});
    EXPECT_FALSE(writePng(small, "/nonexistent-directory/out.png"));
    EXPECT_FALSE(writePng(small, nullptr));
}

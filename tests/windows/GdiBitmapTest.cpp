// Bitmaps on GDI: loaded from the program's resources with their exact pixels, drawn from
// a film-strip offset, with a transparent colour and with constant alpha, each with the
// system's image library and with the plain-GDI fallback.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "gui/BmpReader.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/win32/GdiBitmap.h"
#include "gui/platform/win32/GdiDevice.h"
#include "gui/platform/win32/ImageLibrary.h"
#include "tests/windows/WindowsTestSupport.h"

namespace
{
constexpr int32_t kBackgroundId = 11030;
constexpr int32_t kLargeKnobId = 11027;
constexpr uint32_t kKey = 0xFFFFFF;
constexpr uint32_t kInk = 0xC86400;   // (200, 100, 0)
constexpr uint32_t kUnder = 0x0064C8; // (0, 100, 200)

// The committed bitmap file, read through the drive Wine maps to the Unix root.
std::optional<PixelImage> committedBitmap(const char* name)
{
    std::ifstream file(std::string("Z:") + VRN07_RESOURCE_DIR + "/" + name, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    return decodeBmp(bytes.data(), bytes.size());
}

PixelImage part(const PixelImage& image, const CRect& area)
{
    PixelImage cut;
    cut.width = area.width();
    cut.height = area.height();
    for (int32_t y = area.top; y < area.bottom; ++y)
    {
        for (int32_t x = area.left; x < area.right; ++x)
        {
            cut.pixels.push_back(image.at(x, y));
        }
    }
    return cut;
}

// A 16 by 8 bitmap: the left half the key colour, the right half ink.
GdiBitmap halfKeyedBitmap()
{
    auto canvas = GdiDevice::createMemory(16, 8);
    HDC dc = canvas->dc();
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 16, 8);
    HDC paint = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(paint, bitmap);
    const RECT left{0, 0, 8, 8};
    const RECT right{8, 0, 16, 8};
    HBRUSH key = CreateSolidBrush(RGB(255, 255, 255));
    HBRUSH ink = CreateSolidBrush(RGB(200, 100, 0));
    FillRect(paint, &left, key);
    FillRect(paint, &right, ink);
    DeleteObject(key);
    DeleteObject(ink);
    SelectObject(paint, previous);
    DeleteDC(paint);
    return GdiBitmap(bitmap, 16, 8);
}

std::unique_ptr<GdiDevice> filledDevice(uint32_t pixel)
{
    auto device = GdiDevice::createMemory(24, 12);
    device->selectBrush(colourOfPixel(pixel));
    device->fillRect({0, 0, 24, 12});
    return device;
}

// With (true) or without (false) the image library held, as a frame window holds it.
class WithImageLibrary : public ::testing::TestWithParam<bool>
{
  protected:
    void SetUp() override
    {
        if (GetParam())
        {
            ImageLibrary::acquire();
            ASSERT_NE(ImageLibrary::alphaBlend(), nullptr);
            ASSERT_NE(ImageLibrary::transparentBlt(), nullptr);
        }
        else
        {
            ASSERT_EQ(ImageLibrary::alphaBlend(), nullptr);
        }
    }
    void TearDown() override
    {
        if (GetParam())
        {
            ImageLibrary::release();
        }
    }
};
} // namespace

TEST(GdiResourceBitmap, LoadsWithTheExactPixelsOfItsFile)
{
    CBitmap background(kBackgroundId);
    ASSERT_TRUE(background.isLoaded());
    EXPECT_EQ(background.getWidth(), 754);
    EXPECT_EQ(background.getHeight(), 374);
    COffscreenContext context(nullptr, 754, 374, {0, 0, 0, 255});
    background.draw(&context, {0, 0, 754, 374});
    const std::optional<PixelImage> file = committedBitmap("11030-background.bmp");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(context.readPixels().pixels, file->pixels);
}

TEST(GdiResourceBitmap, DrawsTheFrameOfAFilmStripAtItsSourceOffset)
{
    CBitmap knob(kLargeKnobId);
    ASSERT_TRUE(knob.isLoaded());
    const int32_t side = knob.getWidth(); // the frames are square
    COffscreenContext context(nullptr, side + 10, side + 10, {0, 0, 0, 255});
    context.setOffset({4, 6});
    knob.draw(&context, {0, 0, side, side}, {0, 3 * side});
    const std::optional<PixelImage> file = committedBitmap("11027-large-knob.bmp");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(part(context.readPixels(), rectAt(4, 6, side, side)).pixels,
              part(*file, rectAt(0, 3 * side, side, side)).pixels);
}

TEST(GdiResourceBitmap, UnknownOrInvalidIdsLoadNothingAndDrawNothing)
{
    COffscreenContext context(nullptr, 8, 8, {1, 2, 3, 255});
    for (int32_t id : {0, -1, 12345, 70000})
    {
        CBitmap missing(id);
        EXPECT_FALSE(missing.isLoaded()) << id;
        EXPECT_EQ(missing.getWidth(), 0) << id;
        missing.draw(&context, {0, 0, 8, 8});
        missing.drawTransparent(&context, {0, 0, 8, 8});
        missing.drawAlphaBlend(&context, {0, 0, 8, 8}, {}, 128);
    }
    EXPECT_EQ(countOtherThan(context.readPixels(), {0, 0, 8, 8}, 0x010203), 0);
}

TEST_P(WithImageLibrary, TransparentDrawingLeavesTheKeyColourAlone)
{
    const GdiBitmap bitmap = halfKeyedBitmap();
    auto device = filledDevice(kUnder);
    // Reaching past the bitmap's right edge: only pixels it has are drawn.
    device->drawBitmapTransparent(bitmap, {2, 2, 22, 10}, {0, 0}, colourOfPixel(kKey));
    const PixelImage image = device->readPixels();
    EXPECT_EQ(countOtherThan(image, {2, 2, 10, 10}, kUnder), 0);
    EXPECT_EQ(countOtherThan(image, {10, 2, 18, 10}, kInk), 0);
    EXPECT_EQ(countOtherThan(image, {18, 0, 24, 12}, kUnder), 0);
    EXPECT_EQ(countOtherThan(image, {0, 0, 24, 2}, kUnder), 0);
}

TEST_P(WithImageLibrary, AlphaDrawingMixesByTheConstantAlpha)
{
    const GdiBitmap bitmap = halfKeyedBitmap();
    for (const auto& [alpha, expected] : {std::pair{uint8_t(0), kUnder}, {uint8_t(255), kInk}})
    {
        auto device = filledDevice(kUnder);
        device->drawBitmapAlpha(bitmap, {0, 0, 8, 8}, {8, 0}, alpha);
        EXPECT_EQ(countOtherThan(device->readPixels(), {0, 0, 8, 8}, expected), 0) << int(alpha);
    }
    auto device = filledDevice(kUnder);
    device->drawBitmapAlpha(bitmap, {0, 0, 8, 8}, {8, 0}, 128);
    const CColor mixed = colourOfPixel(device->readPixels().at(3, 3));
    // 200 * 128 / 255 = 100.4 and 200 * 127 / 255 = 99.6; blending code rounds or
    // truncates its fixed-point products, so a step of 1 either way is right.
    EXPECT_NEAR(mixed.red, 100, 1);
    EXPECT_NEAR(mixed.green, 100, 1);
    EXPECT_NEAR(mixed.blue, 100, 1);
    EXPECT_EQ(countOtherThan(device->readPixels(), {8, 0, 24, 12}, kUnder), 0);
}

INSTANTIATE_TEST_SUITE_P(GdiBitmap, WithImageLibrary, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "msimg32" : "plainGdi"; });

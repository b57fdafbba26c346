// Bitmaps from the resource table: the BMP reader, loading by id, and the three ways of
// drawing them.
#include <gtest/gtest.h>

#include <cstring>

#include "GuiTestSupport.h"
#include "gui/BmpReader.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"

namespace
{
constexpr int32_t kChequerId = 501;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;

// 3 by 2 (an odd width, so rows carry padding): distinct pixels to catch row order.
PixelImage smallPicture()
{
    return {3, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}};
}
} // namespace

TEST(BmpReader, DecodesBottomUpRowsWithPadding)
{
    const std::vector<unsigned char> file = encodeBmp(smallPicture());
    const std::optional<PixelImage> image = decodeBmp(file.data(), file.size());
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels, smallPicture().pixels);
}

TEST(BmpReader, DecodesTopDownRows)
{
    std::vector<unsigned char> file = encodeBmp(smallPicture());
    // Height -2 and the two rows swapped: the same picture stored top-down.
    const int32_t negative = -2;
    std::memcpy(&file[22], &negative, 4);
    std::vector<unsigned char> rows(file.begin() + 54, file.end());
    std::copy(rows.begin() + 12, rows.end(), file.begin() + 54);
    std::copy(rows.begin(), rows.begin() + 12, file.begin() + 66);
    const std::optional<PixelImage> image = decodeBmp(file.data(), file.size());
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixels, smallPicture().pixels);
}

TEST(BmpReader, RejectsWhatIsNotAnUncompressedTwentyFourBitFile)
{
    const std::vector<unsigned char> good = encodeBmp(smallPicture());
    EXPECT_FALSE(decodeBmp(nullptr, 100).has_value());
    EXPECT_FALSE(decodeBmp(good.data(), 40).has_value());
    // Pixel data cut short.
    EXPECT_FALSE(decodeBmp(good.data(), good.size() - 1).has_value());

    auto altered = [&](size_t at, uint32_t value, size_t bytes)
    {
        std::vector<unsigned char> file = good;
        std::memcpy(&file[at], &value, bytes);
        return decodeBmp(file.data(), file.size()).has_value();
    };
    EXPECT_FALSE(altered(0, 'X', 1));          // signature
    EXPECT_FALSE(altered(28, 32, 2));          // bits per pixel
    EXPECT_FALSE(altered(30, 1, 4));           // compression
    EXPECT_FALSE(altered(18, 0, 4));           // width 0
    EXPECT_FALSE(altered(18, 0x7FFFFFFF, 4));  // absurd width
    EXPECT_FALSE(altered(10, 0xFFFFFFF0u, 4)); // data offset past the end
}

TEST(Bitmap, LoadsByResourceIdAndAMissingIdStaysEmpty)
{
    TestBitmaps bitmaps;
    bitmaps.add(kChequerId, smallPicture());
    auto* found = new CBitmap(kChequerId);
    auto* missing = new CBitmap(kChequerId + 1);
    EXPECT_TRUE(found->isLoaded());
    EXPECT_EQ(found->getWidth(), 3);
    EXPECT_EQ(found->getHeight(), 2);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);

    COffscreenContext context(nullptr, 4, 4, {255, 255, 255, 255});
    missing->draw(&context, {0, 0, 4, 4});
    EXPECT_EQ(inkBounds(context.readPixels(), kWhite), CRect{});

    EXPECT_FALSE(found->loadFromPath("/tmp/anything.bmp"));
    EXPECT_EQ(found->getWidth(), 0);
    found->release();
    missing->release();
}

TEST(Bitmap, DrawCopiesTheRectanglesSizeFromTheSourceOffset)
{
    TestBitmaps bitmaps;
    bitmaps.add(kChequerId, smallPicture());
    auto* bitmap = new CBitmap(kChequerId);
    COffscreenContext context(nullptr, 8, 8, {255, 255, 255, 255});
    context.setOffset({2, 3});
    // A 2 by 2 area from (1, 0); its right column has no source pixels and stays.
    bitmap->draw(&context, {0, 0, 3, 2}, {1, 0});
    const PixelImage image = context.readPixels();
    EXPECT_EQ(image.at(2, 3), 0x040506u);
    EXPECT_EQ(image.at(3, 3), 0x070809u);
    EXPECT_EQ(image.at(2, 4), 0x0D0E0Fu);
    EXPECT_EQ(image.at(4, 3), kWhite);
    EXPECT_EQ(inkBounds(image, kWhite), (CRect{2, 3, 4, 5}));
    bitmap->release();
}

TEST(Bitmap, TransparentDrawingSkipsTheTransparentColour)
{
    TestBitmaps bitmaps;
    // White (the default transparent colour) with a green centre.
    PixelImage picture = solidImage(3, 3, kWhite);
    picture.pixels[4] = kGreen;
    bitmaps.add(kChequerId, picture);
    auto* bitmap = new CBitmap(kChequerId);
    COffscreenContext context(nullptr, 3, 3, {255, 0, 0, 255});
    bitmap->drawTransparent(&context, {0, 0, 3, 3});
    PixelImage image = context.readPixels();
    EXPECT_EQ(image.at(1, 1), kGreen);
    EXPECT_EQ(image.at(0, 0), 0xFF0000u);

    // Alpha is not part of the comparison; another transparent colour hides the green.
    bitmap->setTransparentColor({0, 255, 0, 255});
    COffscreenContext other(nullptr, 3, 3, {255, 0, 0, 255});
    bitmap->drawTransparent(&other, {0, 0, 3, 3});
    image = other.readPixels();
    EXPECT_EQ(image.at(1, 1), 0xFF0000u);
    EXPECT_EQ(image.at(0, 0), kWhite);
    bitmap->release();
}

TEST(Bitmap, AlphaBlendMixesByTheConstantAlpha)
{
    TestBitmaps bitmaps;
    bitmaps.add(kChequerId, solidImage(2, 2, 0xC86400)); // 200, 100, 0
    auto* bitmap = new CBitmap(kChequerId);
    for (const int alpha : {0, 128, 255})
    {
        COffscreenContext context(nullptr, 2, 2, {0, 0, 200, 255});
        bitmap->drawAlphaBlend(&context, {0, 0, 2, 2}, {}, uint8_t(alpha));
        const CColor mixed = colourOfPixel(context.readPixels().at(1, 1));
        // Each channel is over * a / 255 + under * (255 - a) / 255, rounded: one unit.
        auto expected = [alpha](int over, int under)
        { return (over * alpha + under * (255 - alpha)) / 255.0; };
        EXPECT_NEAR(mixed.red, expected(200, 0), 1.0) << alpha;
        EXPECT_NEAR(mixed.green, expected(100, 0), 1.0) << alpha;
        EXPECT_NEAR(mixed.blue, expected(0, 200), 1.0) << alpha;
    }
    bitmap->release();
}

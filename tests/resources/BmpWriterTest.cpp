// The BMP encoder: headers, bottom-up rows padded to 4 bytes, blue-green-red order and
// rounding of the painted values to bytes.
#include "CommittedFiles.h"

#include "resources/generator/BmpWriter.h"

#include <gtest/gtest.h>

TEST(BmpWriter, PadsEachRowOfAnOddWidthToFourBytesAndStoresRowsBottomUp)
{
    // 33 pixels make 99 bytes of colour, padded to 100.
    Canvas canvas(33, 3, rgb(10, 20, 30));
    canvas.set(0, 0, rgb(255, 0, 0));  // top left
    canvas.set(32, 2, rgb(0, 0, 255)); // bottom right
    const std::vector<uint8_t> bytes = encodeBmp(canvas);
    ASSERT_EQ(bytes.size(), 54u + 100u * 3u);
    const auto file = parseBmp(bytes);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->width, 33);
    EXPECT_EQ(file->height, 3);
    EXPECT_EQ(file->declaredFileSize, bytes.size());
    EXPECT_EQ(file->bitsPerPixel, 24);
    EXPECT_EQ(file->compression, 0u);

    // The first stored row is the bottom one; its last pixel is blue, stored as B, G, R.
    EXPECT_EQ(bytes[54 + 32 * 3], 255);
    EXPECT_EQ(bytes[54 + 32 * 3 + 2], 0);
    EXPECT_EQ(bytes[54 + 99], 0); // padding
    // The last stored row is the top one, starting with red.
    EXPECT_EQ(bytes[54 + 200 + 2], 255);
    EXPECT_EQ(bytes[54 + 200], 0);
    EXPECT_EQ(file->at(0, 0).r, 255);
    EXPECT_EQ(file->at(32, 2).b, 255);
    EXPECT_EQ(file->at(5, 1).g, 20);
}

TEST(BmpWriter, RoundsToTheNearestByteAndClampsOutOfRangeValues)
{
    Canvas canvas(4, 1);
    canvas.set(0, 0, rgb(127.4f, 127.6f, 300));
    canvas.set(1, 0, rgb(-5, 0.49f, 254.5f));
    const auto file = parseBmp(encodeBmp(canvas));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->at(0, 0).r, 127);
    EXPECT_EQ(file->at(0, 0).g, 128);
    EXPECT_EQ(file->at(0, 0).b, 255);
    EXPECT_EQ(file->at(1, 0).r, 0);
    EXPECT_EQ(file->at(1, 0).g, 0);
    EXPECT_EQ(file->at(1, 0).b, 255);
}

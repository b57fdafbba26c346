#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace
{
// The width and height stored in a PNG file's header, or 0, 0.
std::pair<unsigned, unsigned> pngSize(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof(header));
    if (!file || header[1] != 'P' || header[2] != 'N' || header[3] != 'G')
        return {0, 0};
    auto word = [&header](int at)
    {
        return unsigned(header[at]) << 24 | unsigned(header[at + 1]) << 16 |
               unsigned(header[at + 2]) << 8 | unsigned(header[at + 3]);
    };
    return {word(16), word(20)};
}
} // namespace

TEST(SnapshotRender, WritesThePanelOfEachViewAfterTheAudio)
{
    ScratchFolder scratch;
    writeSound(scratch.path("in.wav"), sineSound(44100, 2, 22050, 200.0, 0.9));
    for (const char* view : {"waveform", "spectrum"})
    {
        const std::string picture = scratch.path(std::string(view) + ".png");
        const RunResult result =
            scratch.run({"in.wav", "out.wav", "--snapshot", picture, "--view", view});
        ASSERT_EQ(result.status, 0) << result.err;
        const auto [width, height] = pngSize(picture);
        EXPECT_EQ(width, 754u);
        EXPECT_EQ(height, 374u);
    }
}

TEST(SnapshotRender, RefusesABadViewOrALoadedBinaryAndLeavesNothing)
{
    ScratchFolder scratch;
    writeSound(scratch.path("in.wav"), sineSound(44100, 2, 4410, 200.0, 0.5));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"in.wav", "out.wav", "--snapshot", "s.png", "--view",
                                   "sideways"},
          std::vector<std::string>{"in.wav", "out.wav", "--snapshot", "s.png", "--plugin", "x.so"},
          std::vector<std::string>{"in.wav", "out.wav", "--snapshot", "missing/s.png"}})
    {
        const RunResult result = scratch.run(arguments);
        EXPECT_EQ(result.status, 1) << arguments[4];
        EXPECT_EQ(scratch.contents(), std::vector<std::string>{"in.wav"}) << arguments[4];
    }
}

// A batch's workers render side by side, each with a plug-in instance of its own: they share
// nothing, so a file comes out of a batch as it comes out of a render of its own. Run under
// ThreadSanitizer, the renderer also shows that no data race is reported while they work.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

namespace
{
Sound noisySong(double level, double frequency)
{
    Sound sound = sineSound(44100, 2, 2 * 44100, frequency, level);
    addNoise(sound, 0.3 * level);
    return sound;
}
} // namespace

TEST(RenderBatchThreads, RendersEachFileAsARenderOfItsOwnWould)
{
    ScratchFolder folder;
    const std::vector<std::string> names = {"a.wav", "b.wav", "c.wav"};
    for (size_t i = 0; i < names.size(); ++i)
        writeSound(folder.path(names[i]),
                   noisySong(0.2 + 0.2 * double(i), 100.0 + 50.0 * double(i)));
    std::vector<std::string> batch = names;
    batch.insert(batch.end(), {"--out-dir", "out", "--delivery", "podcast", "--jobs", "3"});
    std::vector<std::string> album = names;
    album.insert(album.end(),
                 {"--out-dir", "album", "--delivery", "podcast", "--album", "--jobs", "3"});

    const RunResult each = folder.run(batch);
    const RunResult together = folder.run(album);
    const RunResult alone = folder.run({"b.wav", "alone.wav", "--delivery", "podcast"});

    for (const RunResult* result : {&each, &together, &alone})
    {
        EXPECT_EQ(result->status, 0) << result->err;
        EXPECT_EQ(result->err, "");
    }
    // The same drive, the same samples.
    EXPECT_EQ(readSound(folder.path("out/b.wav")).samples,
              readSound(folder.path("alone.wav")).samples);
}

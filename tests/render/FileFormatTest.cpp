// Which files vrn07-render reads and writes, and how it feeds their channels to the plug-in.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sndfile.h>

namespace
{
constexpr int kFrames = 4800; // a tenth of a second at 48 kHz keeps every run short

Sound noisySine(int channels)
{
    Sound sound = sineSound(48000, channels, kFrames, 440.0, 0.5);
    addNoise(sound, 0.1);
    return sound;
}

// Every sample of a 16-bit file, as float: exact in float and in 24-bit FLAC.
Sound sixteenBitFlac()
{
    Sound sound = noisySine(2);
    sound.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    return sound;
}
} // namespace

TEST(RenderFiles, WritesFloatWavBesideTheInputWhenNoOutputIsNamed)
{
    ScratchFolder folder;
    writeSound(folder.path("take.wav"), noisySine(2));
    const RunResult result = folder.run({"take.wav"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(folder.contents(), (std::vector<std::string>{"take-out.wav", "take.wav"}));
    const Sound output = readSound(folder.path("take-out.wav"));
    EXPECT_EQ(output.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(output.sampleRate, 48000);
    EXPECT_EQ(output.channels, 2);
    EXPECT_EQ(output.frames(), kFrames);
}

TEST(RenderFiles, ReadsFlacAndWritesTheFormatEachExtensionNames)
{
    struct Case
    {
        const char* name;
        int format;
    };
    const Case cases[] = {
        {"out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"out.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"out.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"OUT.AIFF", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"out.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    };
    ScratchFolder folder;
    const Sound input = sixteenBitFlac();
    writeSound(folder.path("in.flac"), input);
    const Sound decoded = readSound(folder.path("in.flac"));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RunResult result = folder.run({"in.flac", c.name, "--bypass", "--no-dither"});
        ASSERT_EQ(result.status, 0) << result.err;
        const Sound output = readSound(folder.path(c.name));
        EXPECT_EQ(output.format, c.format);
        EXPECT_EQ(output.sampleRate, 48000);
        EXPECT_EQ(output.frames(), kFrames);
        // Bypassed and rounded without dither, the lossless formats give back the decoded
        // input exactly.
        if (c.format != (SF_FORMAT_OGG | SF_FORMAT_VORBIS))
        {
            EXPECT_EQ(output.samples, decoded.samples);
        }
    }
}

TEST(RenderFiles, PlaysAMonoFileToBothInputs)
{
    ScratchFolder folder;
    const Sound mono = noisySine(1);
    writeSound(folder.path("mono.wav"), mono);

    ASSERT_EQ(folder.run({"mono.wav", "bypassed.wav", "--bypass"}).status, 0);
    const Sound bypassed = readSound(folder.path("bypassed.wav"));
    ASSERT_EQ(bypassed.channels, 2);
    ASSERT_EQ(bypassed.frames(), mono.frames());
    for (long long frame = 0; frame < mono.frames(); ++frame)
    {
        ASSERT_EQ(bypassed.samples[2 * frame], mono.samples[frame]) << frame;
        ASSERT_EQ(bypassed.samples[2 * frame + 1], mono.samples[frame]) << frame;
    }

    // Processed, both channels see the same input and so come out the same.
    ASSERT_EQ(folder.run({"mono.wav", "processed.wav"}).status, 0);
    const Sound processed = readSound(folder.path("processed.wav"));
    for (long long frame = 0; frame < processed.frames(); ++frame)
        ASSERT_EQ(processed.samples[2 * frame], processed.samples[2 * frame + 1]) << frame;
}

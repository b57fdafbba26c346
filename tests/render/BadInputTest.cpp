// Every input vrn07-render cannot take ends in one line on standard error, exit status 1,
// and no file written.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sndfile.h>

namespace
{
struct BadInput
{
    const char* title;
    std::vector<std::string> arguments;
    const char* problem; // what the message must say
};

// The files the cases refer to.
void writeInputs(const ScratchFolder& folder)
{
    writeSound(folder.path("good.wav"), sineSound(44100, 2, 2000, 440.0, 0.5));
    writeSound(folder.path("three.wav"), sineSound(44100, 3, 2000, 440.0, 0.5));
    writeSound(folder.path("slow.wav"), sineSound(500, 2, 2000, 40.0, 0.5));
    writeSound(folder.path("fast.wav"), sineSound(2000000, 2, 2000, 440.0, 0.5));
    writeBytes(folder.path("junk.wav"), std::string(4000, '\x5a'));
    // A WAV header cut off before its data chunk.
    writeBytes(folder.path("headless.wav"), fileBytes(folder.path("good.wav")).substr(0, 40));
    // A FLAC file whose second half is overwritten: it opens, then fails while decoding.
    Sound noise = sineSound(44100, 2, 44100, 440.0, 0.3);
    addNoise(noise, 0.3);
    noise.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    writeSound(folder.path("broken.flac"), noise);
    std::string flac = fileBytes(folder.path("broken.flac"));
    for (size_t i = flac.size() / 2; i < flac.size(); ++i)
        flac[i] = char(i * 7 + 13);
    writeBytes(folder.path("broken.flac"), flac);
    std::filesystem::create_directory(folder.work() / "folder");
}

class RenderBadInput : public ::testing::TestWithParam<BadInput>
{
};
} // namespace

TEST_P(RenderBadInput, FailsWithOneLineNamingTheProblemAndWritesNothing)
{
    ScratchFolder folder;
    writeInputs(folder);
    const std::vector<std::string> before = folder.contents();

    const RunResult result = folder.run(GetParam().arguments);

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("vrn07-render: ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(GetParam().problem), std::string::npos) << result.err;
    EXPECT_EQ(folder.contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, RenderBadInput,
    ::testing::Values(
        BadInput{"MissingFile", {"missing.wav", "out.wav"}, "missing.wav: no such file"},
        BadInput{"FolderAsInput", {"folder", "out.wav"}, "folder: it is a folder"},
        BadInput{"NotAudio", {"junk.wav", "out.wav"}, "cannot read junk.wav"},
        BadInput{"CutHeader", {"headless.wav", "out.wav"}, "cannot read headless.wav"},
        BadInput{"DamagedData", {"broken.flac", "out.wav"}, "cannot read broken.flac"},
        BadInput{"ThreeChannels", {"three.wav", "out.wav"}, "3 channels"},
        BadInput{"RateTooLow", {"slow.wav", "out.wav"}, "500 Hz"},
        BadInput{"RateTooHigh", {"fast.wav", "out.wav"}, "2000000 Hz"},
        BadInput{"UnknownParameter",
                 {"good.wav", "out.wav", "--set", "Treshold Low=1"},
                 "unknown parameter \"Treshold Low\""},
        BadInput{"ValueAboveRange",
                 {"good.wav", "out.wav", "--set", "Threshold Low=18.5"},
                 "\"Threshold Low\" takes a value from -18 to 18"},
        BadInput{"ValueBelowRange",
                 {"good.wav", "out.wav", "--set", "CrossOver Hi=639"},
                 "\"CrossOver Hi\" takes a value from 640 to 20000"},
        BadInput{"ValueNotANumber",
                 {"good.wav", "out.wav", "--set", "Gain Low=loud"},
                 "\"Gain Low\" takes a number"},
        BadInput{"ValueNotFinite",
                 {"good.wav", "out.wav", "--set", "Gain Low=nan"},
                 "\"Gain Low\" takes a number"},
        BadInput{"SwitchBetweenStates",
                 {"good.wav", "out.wav", "--set", "SafeClip on/off=0.5"},
                 "\"SafeClip on/off\" takes 0 or 1"},
        BadInput{"SettingWithoutValue", {"good.wav", "--set", "Gain Low"}, "--set takes"},
        BadInput{"ProgramNumberTooHigh", {"good.wav", "--program", "5"}, "unknown program \"5\""},
        BadInput{
            "ProgramNameUnknown", {"good.wav", "--program", "Loud"}, "unknown program \"Loud\""},
        BadInput{"BlockZero", {"good.wav", "--block", "0"}, "--block takes"},
        BadInput{"BlockNegative", {"good.wav", "--block", "-3"}, "--block takes"},
        BadInput{"BlockFraction", {"good.wav", "--block=1.5"}, "--block takes"},
        BadInput{"BlockAbsurd", {"good.wav", "--block", "1048577"}, "--block takes"},
        BadInput{"BlockMissing", {"good.wav", "--block"}, "--block needs a value"},
        BadInput{
            "OutputFolderMissing", {"good.wav", "nowhere/out.wav"}, "cannot write nowhere/out.wav"},
        BadInput{"OutputUnknownExtension", {"good.wav", "out.mp4"}, "unknown extension \".mp4\""},
        BadInput{"DemoOutputUnwritable", {"--demo", "nowhere/out.wav"}, "cannot write nowhere/"},
        BadInput{"PluginMissing",
                 {"good.wav", "out.wav", "--plugin", "missing.so"},
                 "cannot load plug-in missing.so"},
        BadInput{"PluginNotALibrary",
                 {"good.wav", "out.wav", "--plugin", "good.wav"},
                 "cannot load plug-in good.wav"},
        BadInput{"UnknownOption", {"good.wav", "--loud"}, "unknown option --loud"},
        BadInput{"TooManyFiles", {"good.wav", "a.wav", "b.wav"}, "too many files"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.title; });

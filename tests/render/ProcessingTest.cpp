// How vrn07-render drives the plug-in: bypass, block sizes, the loaded binary, settings,
// programs and what the report measures.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
// A loud noisy sine, a third of a second: enough for the limiters to work on.
Sound loudSignal()
{
    Sound sound = sineSound(44100, 2, 14700, 300.0, 0.6);
    addNoise(sound, 0.3);
    return sound;
}

class RenderProcessing : public ::testing::Test
{
  protected:
    void SetUp() override { writeSound(folder_.path("in.wav"), loudSignal()); }

    // Renders in.wav into name with these extra arguments and reads the result.
    Sound render(const std::string& name, std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"in.wav", name});
        last_ = folder_.run(arguments);
        EXPECT_EQ(last_.status, 0) << last_.err;
        return readSound(folder_.path(name));
    }

    ScratchFolder folder_;
    RunResult last_;
};
} // namespace

TEST_F(RenderProcessing, BypassGivesTheInputBackBitForBit)
{
    EXPECT_EQ(render("out.wav", {"--bypass"}).samples, loudSignal().samples);
}

TEST_F(RenderProcessing, GivesTheSameOutputForEveryBlockSize)
{
    const std::vector<std::string> drive = {"--set", "Limiter Gain=9"};
    const Sound reference = render("512.wav", drive);
    // The limiters must have changed the signal, or the comparison proves nothing.
    ASSERT_NE(reference.samples, loudSignal().samples);
    for (const char* block : {"1", "7", "4096"})
    {
        std::vector<std::string> arguments = drive;
        arguments.insert(arguments.end(), {"--block", block});
        EXPECT_EQ(render(std::string(block) + ".wav", arguments).samples, reference.samples)
            << "block " << block;
    }
}

TEST_F(RenderProcessing, LoadedBinaryGivesWhatTheLinkedCodeGivesButNoBandReduction)
{
    const Sound linked = render("linked.wav", {"--program", "KickPunch"});
    const Sound loaded =
        render("loaded.wav", {"--program", "KickPunch", "--plugin", VRN07_PLUGIN_PATH});
    EXPECT_EQ(loaded.samples, linked.samples);
    EXPECT_FALSE(reportLine(last_.out, "deepest band gain reduction:").found);
    EXPECT_NE(last_.out.find("not available"), std::string::npos) << last_.out;
}

TEST_F(RenderProcessing, AppliesSettingsInRealUnitsAfterTheProgram)
{
    // Limiter Gain -6 dB and Output Gain -12 dB keep a 0.25 sine far below every threshold,
    // so the output is the input 18 dB down, times SafeClip's 0.99993896484375 (-0.0005 dB).
    Sound quiet = sineSound(44100, 2, 14700, 300.0, 0.25);
    writeSound(folder_.path("quiet.wav"), quiet);
    last_ = folder_.run({"quiet.wav", "down.wav", "--program", "SimpleMaximize", "--set",
                         "Limiter Gain=-6", "--set", "output gain=-12"});
    ASSERT_EQ(last_.status, 0) << last_.err;
    const double change = decibels(peakOf(readSound(folder_.path("down.wav")).samples)) -
                          decibels(peakOf(quiet.samples));
    // The output is aligned with the input, so it holds the same sample phases and the same
    // peak; what remains is float rounding (about 1e-6 relative, 1e-5 dB).
    EXPECT_NEAR(change, -18.0 + decibels(0.99993896484375), 1e-4);
}

TEST_F(RenderProcessing, TakesAProgramByNumberOrByName)
{
    EXPECT_EQ(render("by-name.wav", {"--program", "singleband"}).samples,
              render("by-number.wav", {"--program", "3"}).samples);
    EXPECT_NE(render("other.wav", {"--program", "2"}).samples,
              readSound(folder_.path("by-number.wav")).samples);
}

TEST_F(RenderProcessing, ReportsTheDeepestReductionInTheBandThatWasDriven)
{
    // 300 Hz lies between the default crossovers (31 Hz and 1235 Hz): only the middle band
    // sees it, driven 12 dB into a 0 dB threshold.
    writeSound(folder_.path("mid.wav"), sineSound(44100, 2, 14700, 300.0, 0.5));
    last_ = folder_.run({"mid.wav", "out.wav", "--set", "Limiter Gain=12"});
    ASSERT_EQ(last_.status, 0) << last_.err;
    const ReportLine bands = reportLine(last_.out, "deepest band gain reduction:");
    ASSERT_TRUE(bands.found) << last_.out;
    EXPECT_LT(bands.values[1], -4.0);
    EXPECT_GT(bands.values[0], bands.values[1] + 3.0);
    EXPECT_GT(bands.values[2], bands.values[1] + 3.0);
}

TEST_F(RenderProcessing, MeasuresAMonoFileAsItIsPlayedToBothInputs)
{
    // A 997 Hz sine at -20 dBFS in both channels of a stereo pair measures -20 LUFS: the
    // K-weighting is 0 dB there and the -0.691 offset cancels it. A mono file measured as a
    // single channel would read 3 dB lower.
    writeSound(folder_.path("tone.wav"), sineSound(48000, 1, 3 * 48000, 997.0, 0.1));
    last_ = folder_.run({"tone.wav", "out.wav", "--bypass"});
    ASSERT_EQ(last_.status, 0) << last_.err;
    const ReportLine input = reportLine(last_.out, "input ");
    ASSERT_TRUE(input.found) << last_.out;
    EXPECT_NEAR(input.values[0], -20.0, 0.01); // sample peak, to the printed two decimals
    EXPECT_NEAR(input.values[2], -20.0, 0.1);  // integrated loudness
    EXPECT_GE(input.values[1], input.values[0] - 0.01);
    EXPECT_NEAR(input.values[3], 0.0, 0.1); // a steady tone has no loudness range
}

TEST_F(RenderProcessing, NamesNonFiniteInputSamplesAndKeepsTheOutputFinite)
{
    Sound damaged = loudSignal();
    damaged.samples[1000] = std::numeric_limits<float>::quiet_NaN();
    damaged.samples[2001] = std::numeric_limits<float>::infinity();
    writeSound(folder_.path("damaged.wav"), damaged);
    last_ = folder_.run({"damaged.wav", "out.wav"});
    ASSERT_EQ(last_.status, 0) << last_.err;
    EXPECT_NE(last_.out.find("2 input samples are NaN or infinite"), std::string::npos)
        << last_.out;
    for (float sample : readSound(folder_.path("out.wav")).samples)
        ASSERT_TRUE(std::isfinite(sample));
}

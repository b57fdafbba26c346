// The built-in demo: what it writes, what it sounds like in numbers, and its report.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <memory>

namespace
{
constexpr int kDemoFrames = 441000; // ten seconds at 44.1 kHz
constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// The demo is rendered once, with no arguments, for the whole suite.
class DemoRender : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<ScratchFolder>();
        result_ = folder_->run({});
        input_ = readSound(folder_->path("demo-in.wav"));
        output_ = readSound(folder_->path("demo-out.wav"));
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static inline std::unique_ptr<ScratchFolder> folder_;
    static inline RunResult result_;
    static inline Sound input_;
    static inline Sound output_;
};

double rmsOf(const std::vector<float>& samples)
{
    double sum = 0.0;
    for (float sample : samples)
        sum += double(sample) * sample;
    return std::sqrt(sum / double(samples.size()));
}
} // namespace

TEST_F(DemoRender, WritesTenSecondsOfStereoInAndOutIntoTheCurrentFolder)
{
    ASSERT_EQ(result_.status, 0) << result_.err;
    EXPECT_EQ(folder_->contents(), (std::vector<std::string>{"demo-in.wav", "demo-out.wav"}));
    for (const Sound* sound : {&input_, &output_})
    {
        EXPECT_EQ(sound->sampleRate, 44100);
        EXPECT_EQ(sound->channels, 2);
        EXPECT_EQ(sound->format, kFloatWav);
        EXPECT_EQ(sound->frames(), kDemoFrames);
    }
}

TEST_F(DemoRender, PeaksThreeDecibelsBelowFullScaleWithDrumTransientsInTrueStereo)
{
    // The peak is set in double precision and stored as float: 1e-6 dB covers the rounding.
    EXPECT_NEAR(decibels(peakOf(input_.samples)), -3.0, 1e-6);
    // Drum hits stand well out of the mix: the crest factor of a plain sine is 3 dB.
    EXPECT_GT(decibels(peakOf(input_.samples) / rmsOf(input_.samples)), 10.0);
    bool channelsDiffer = false;
    for (size_t i = 0; i + 1 < input_.samples.size(); i += 2)
        channelsDiffer = channelsDiffer || input_.samples[i] != input_.samples[i + 1];
    EXPECT_TRUE(channelsDiffer);
}

TEST_F(DemoRender, GivesTheLimiterWorkThatTheReportShows)
{
    const ReportLine input = reportLine(result_.out, "input ");
    const ReportLine output = reportLine(result_.out, "output ");
    const ReportLine bands = reportLine(result_.out, "deepest band gain reduction:");
    ASSERT_TRUE(input.found && output.found && bands.found) << result_.out;
    // The report prints two decimals: its peaks match the files to half a hundredth.
    EXPECT_NEAR(input.values[0], decibels(peakOf(input_.samples)), 0.005);
    EXPECT_NEAR(output.values[0], decibels(peakOf(output_.samples)), 0.005);
    // The default program drives the signal into the limiters and out louder, below 0 dBFS.
    EXPECT_GT(output.values[2], input.values[2] + 1.0);
    EXPECT_LE(output.values[0], 0.0);
    EXPECT_LT(std::min({bands.values[0], bands.values[1], bands.values[2]}), -1.0);
}

TEST_F(DemoRender, IsTheSameOnEveryRunAndGoesIntoTheFolderOut)
{
    ScratchFolder other;
    std::filesystem::create_directory(other.work() / "renders");
    const RunResult again = other.run({"--demo", "renders"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(other.contents(),
              (std::vector<std::string>{"renders", "renders/demo-in.wav", "renders/demo-out.wav"}));
    EXPECT_EQ(readSound(other.path("renders/demo-in.wav")).samples, input_.samples);
    EXPECT_EQ(readSound(other.path("renders/demo-out.wav")).samples, output_.samples);
}

TEST_F(DemoRender, WritesTheOutputUnderOutsNameWithTheInputBesideIt)
{
    ScratchFolder other;
    const RunResult named = other.run({"--demo", "master.flac"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(other.contents(), (std::vector<std::string>{"demo-in.wav", "master.flac"}));
    EXPECT_EQ(readSound(other.path("master.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

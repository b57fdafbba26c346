// Mastering one file to a delivery: the loudness target and the true-peak ceiling as
// libebur128 measures the written file, the report's figures, the targets that cannot be
// reached, and the dither of integer outputs.
#include "tests/render/RenderRun.h"
#include "tools/render/ReportPicture.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <sstream>

namespace
{
constexpr int kRate = 44100;

// Four seconds of a mix at about -15.5 LUFS that stresses a true-peak ceiling: a kick every
// half second, a bass, noise, and a tone at a quarter of the rate whose samples fall 45
// degrees off its peaks, so that its true peak lies 3 dB above its samples. Rendered plainly
// it comes out at +0.14 dBTP.
Sound interSamplePeakMix()
{
    Sound sound;
    sound.samples.resize(size_t(4 * kRate) * 2);
    std::mt19937 generator(11);
    std::uniform_real_distribution<double> noise(-0.03, 0.03);
    for (long long n = 0; n < 4 * kRate; ++n)
    {
        const double t = double(n) / kRate;
        const double beat = std::fmod(t, 0.5);
        const double kick =
            0.7 * std::exp(-12.0 * beat) * std::sin(2 * std::numbers::pi * 55 * beat);
        const double bass = 0.08 * std::sin(2 * std::numbers::pi * 82.4 * t);
        const double tone =
            0.06 * std::sin(std::numbers::pi / 2 * double(n) + std::numbers::pi / 4);
        sound.samples[size_t(2 * n)] = float(kick + bass + tone + noise(generator));
        sound.samples[size_t(2 * n + 1)] = float(kick + bass - tone + noise(generator));
    }
    return sound;
}

// Four seconds of sparse speech-like sound at about -24 LUFS: a voice's pulses at 120 Hz,
// each ringing in a resonance at 700 Hz, in syllables four times a second with silence
// between them. A release that holds a syllable's deepest reduction over the syllable
// leaves it far below a loud target.
Sound sparseVoice()
{
    Sound sound;
    sound.samples.resize(size_t(4 * kRate) * 2);
    const double decay = std::exp(-std::numbers::pi * 100.0 / kRate);
    const double turn = 2.0 * std::numbers::pi * 700.0 / kRate;
    double ringing = 0.0, previous = 0.0;
    for (long long n = 0; n < 4 * kRate; ++n)
    {
        const double t = double(n) / kRate;
        const double pulse = n % (kRate / 120) == 0 ? 1.0 : 0.0;
        const double next =
            pulse + 2.0 * decay * std::cos(turn) * ringing - decay * decay * previous;
        previous = ringing;
        ringing = next;
        const double syllable = std::max(0.0, std::sin(2.0 * std::numbers::pi * 4.0 * t));
        const float sample = float(0.03 * syllable * ringing);
        sound.samples[size_t(2 * n)] = sample;
        sound.samples[size_t(2 * n + 1)] = sample;
    }
    return sound;
}

// The number after label in the report, as in "label -1.23 dB"; NaN when missing.
double reportNumber(const std::string& report, const std::string& label)
{
    const size_t at = report.find(label);
    return at == std::string::npos ? std::nan("")
                                   : std::strtod(report.c_str() + at + label.size(), nullptr);
}

class RenderDelivery : public ::testing::Test
{
  protected:
    // Runs the renderer with these arguments and reads the output it names.
    Sound master(const std::vector<std::string>& arguments, const std::string& output)
    {
        last_ = folder_.run(arguments);
        EXPECT_EQ(last_.status, 0) << last_.err;
        return readSound(folder_.path(output));
    }

    // The written file meets the streaming delivery, and the report says what it measures.
    void expectStreamingMaster(const Sound& output)
    {
        const Loudness measured = measureLoudness(output);
        EXPECT_NEAR(measured.integrated, -14.0, 0.1);
        EXPECT_LE(measured.truePeakDb, -1.0);
        const ReportLine reported = reportLine(last_.out, "output ");
        ASSERT_TRUE(reported.found) << last_.out;
        // The report prints two decimals.
        EXPECT_NEAR(reported.values[1], measured.truePeakDb, 0.005);
        EXPECT_NEAR(reported.values[2], measured.integrated, 0.005);
        EXPECT_NE(last_.out.find("target reached"), std::string::npos) << last_.out;
    }

    ScratchFolder folder_;
    RunResult last_;
};
} // namespace

TEST_F(RenderDelivery, MastersTheDemoForStreamingInOneStep)
{
    // Rendered plainly, the demo comes out at +0.26 dBTP and -12.3 LUFS.
    const Sound output = master({"--demo", "master.wav", "--delivery", "streaming"}, "master.wav");
    expectStreamingMaster(output);
    EXPECT_EQ(output.frames(), 441000);
}

TEST_F(RenderDelivery, MastersAMixWithInterSamplePeaksForStreamingAsDithered16BitWav)
{
    writeSound(folder_.path("mix.wav"), interSamplePeakMix());
    const Sound output =
        master({"mix.wav", "master.wav", "--delivery", "streaming", "--bits", "16"}, "master.wav");
    EXPECT_EQ(output.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    expectStreamingMaster(output);
    // The ceiling had peaks to hold down, and the dither after it did not lift them over.
    EXPECT_LT(reportNumber(last_.out, "deepest true-peak stage gain reduction:"), -0.5)
        << last_.out;
    EXPECT_NE(last_.out.find("TPDF dither to 16 bits"), std::string::npos) << last_.out;
}

TEST_F(RenderDelivery, HoldsACeilingWithoutATargetAndLeavesTheLoudnessAlone)
{
    writeSound(folder_.path("mix.wav"), interSamplePeakMix());
    const Sound plain = master({"mix.wav", "plain.wav"}, "plain.wav");
    const Sound held = master({"mix.wav", "held.wav", "--ceiling", "-1.5"}, "held.wav");
    ASSERT_GT(measureLoudness(plain).truePeakDb, -1.5);
    EXPECT_LE(measureLoudness(held).truePeakDb, -1.5);
    // No drive: only the kicks' peaks are held down, for a few milliseconds each, and the
    // loudness stays within a few tenths of a LU.
    EXPECT_NEAR(measureLoudness(held).integrated, measureLoudness(plain).integrated, 0.5);
    EXPECT_EQ(last_.out.find("drive "), std::string::npos) << last_.out;
}

namespace
{
struct Unreachable
{
    const char* title;
    std::function<Sound()> input;
    std::vector<std::string> target;
    const char* reason; // what the report and the message say
};

class RenderUnreachableTarget : public ::testing::TestWithParam<Unreachable>
{
};
} // namespace

TEST_P(RenderUnreachableTarget, WritesTheClosestRenderSaysWhyAndExitsWith3)
{
    ScratchFolder folder;
    const Sound input = GetParam().input();
    writeSound(folder.path("in.wav"), input);
    std::vector<std::string> arguments = {"in.wav", "out.wav"};
    arguments.insert(arguments.end(), GetParam().target.begin(), GetParam().target.end());

    const RunResult result = folder.run(arguments);

    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(folder.contents(), (std::vector<std::string>{"in.wav", "out.wav"}));
    EXPECT_EQ(readSound(folder.path("out.wav")).frames(), input.frames());
    EXPECT_NE(result.out.find(std::string("target not reached, ") + GetParam().reason),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.err.rfind("vrn07-render: in.wav: target ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    EveryReason, RenderUnreachableTarget,
    ::testing::Values(Unreachable{"Silence",
                                  [] { return sineSound(kRate, 2, 2 * kRate, 440.0, 0.0); },
                                  {"--delivery", "streaming"},
                                  "the render has no measurable loudness"},
                      // A tone at -80 dBFS would need about +60 dB.
                      Unreachable{"FarTooQuiet",
                                  [] { return sineSound(kRate, 2, 2 * kRate, 440.0, 1e-4); },
                                  {"--delivery", "streaming"},
                                  "it would need more than +24 dB of drive"},
                      // Noise through the plug-in's default program, held at a -1 dBTP
                      // ceiling, cannot be made as loud as -2 LUFS.
                      Unreachable{"LimitersSaturated",
                                  []
                                  {
                                      Sound noise = sineSound(kRate, 2, 2 * kRate, 440.0, 0.0);
                                      addNoise(noise, 0.5);
                                      return noise;
                                  },
                                  {"--target", "-2", "--program", "0"},
                                  "the limiters are saturated"}),
    [](const ::testing::TestParamInfo<Unreachable>& info) { return info.param.title; });

namespace
{
struct QuantizingError
{
    double largestSteps;
    double rmsSteps;
    bool onTheGrid;
};

// How a 16-bit output differs from the float output of the same render, in 16-bit steps.
QuantizingError quantizingError(const Sound& sixteen, const Sound& floating)
{
    QuantizingError error{0.0, 0.0, true};
    double sum = 0.0;
    for (size_t i = 0; i < floating.samples.size(); ++i)
    {
        const double steps = double(sixteen.samples[i]) * 32768.0;
        error.onTheGrid = error.onTheGrid && steps == std::round(steps);
        const double difference = steps - double(floating.samples[i]) * 32768.0;
        error.largestSteps = std::max(error.largestSteps, std::abs(difference));
        sum += difference * difference;
    }
    error.rmsSteps = std::sqrt(sum / double(floating.samples.size()));
    return error;
}
} // namespace

TEST_F(RenderDelivery, DithersIntegerOutputsWithOneStepOfTpdfNoiseUnlessToldNotTo)
{
    Sound music = sineSound(48000, 2, 96000, 300.0, 0.3);
    addNoise(music, 0.2);
    writeSound(folder_.path("in.wav"), music);
    const Sound floating = master({"in.wav", "float.wav"}, "float.wav");
    const QuantizingError dithered =
        quantizingError(master({"in.wav", "d.wav", "--bits", "16"}, "d.wav"), floating);
    const QuantizingError rounded = quantizingError(
        master({"in.wav", "r.wav", "--bits", "16", "--no-dither"}, "r.wav"), floating);

    EXPECT_TRUE(dithered.onTheGrid && rounded.onTheGrid);
    // Rounding alone errs by at most half a step, uniformly: an RMS of 1/sqrt(12) = 0.289.
    // TPDF dither of one step (the difference of two uniform values) adds a variance of 1/6
    // to rounding's 1/12: an RMS of 0.5 and errors below 1.5 steps. 192000 samples estimate
    // the RMS to a fraction of a percent.
    EXPECT_LE(rounded.largestSteps, 0.5 + 1e-3);
    EXPECT_NEAR(rounded.rmsSteps, 0.289, 0.01);
    EXPECT_LE(dithered.largestSteps, 1.5 + 1e-3);
    EXPECT_GT(dithered.largestSteps, 1.0);
    EXPECT_NEAR(dithered.rmsSteps, 0.5, 0.01);
}

namespace
{
// The number after "key": in a JSON report; NaN when missing or null.
double jsonNumber(const std::string& json, const std::string& key)
{
    return reportNumber(json, "\"" + key + "\": ");
}

// Whether a PNG file holds a pixel of this 0xRRGGBB colour.
bool pngHolds(const std::string& path, uint32_t colour)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0)
        return false;
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr) == 0)
        return false;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        if ((uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]) == colour)
            return true;
    return false;
}
} // namespace

TEST_F(RenderDelivery, MastersAnInputWhosePeaksAllowItByAPlainGainAndReportsWhatItApplied)
{
    // About -9 LUFS with its true peak near -5 dBTP: a cut of 5 dB meets the delivery.
    Sound loud = sineSound(kRate, 2, 3 * kRate, 440.0, 0.4);
    addNoise(loud, 0.05);
    writeSound(folder_.path("in.wav"), loud);
    const Sound output =
        master({"in.wav", "out.wav", "--delivery", "streaming", "--report", "r.json"}, "out.wav");
    expectStreamingMaster(output);
    const std::string json = fileBytes(folder_.path("r.json"));
    EXPECT_NE(json.find("\"processing\": \"gain only\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"stage\": null"), std::string::npos) << json;
    // The output is the input times the one gain the report gives, to the last bit.
    const float gain = float(jsonNumber(json, "gain"));
    ASSERT_EQ(output.samples.size(), loud.samples.size());
    size_t differing = 0;
    for (size_t i = 0; i < loud.samples.size(); ++i)
        differing += output.samples[i] != loud.samples[i] * gain;
    EXPECT_EQ(differing, 0u);
    // The residual is the measure's floor; the loudness range is reported before and after.
    EXPECT_LT(jsonNumber(json, "residual_db"), -120.0);
    EXPECT_NEAR(jsonNumber(json, "input_lra"), jsonNumber(json, "output_lra"), 0.1);
    EXPECT_TRUE(pngHolds(folder_.path("r-out.wav.png"), kCeilingLinePixel));
}

TEST_F(RenderDelivery, LimitsOnlyAsMuchAsTheTargetNeedsAndReportsHowDeep)
{
    Sound mix = interSamplePeakMix();
    writeSound(folder_.path("mix.wav"), mix);
    for (float& sample : mix.samples)
        sample *= 0.1f;
    writeSound(folder_.path("quiet.wav"), mix);
    struct Case
    {
        const char* input;
        const char* target;
        const char* processing;
    };
    // The mix is at -15.5 LUFS: 1.5 dB more takes the stage alone a little. Its quiet copy
    // needs more drive than the stage alone is given, and the maximizer's Limiter Gain
    // brings it there.
    for (const Case& c : {Case{"mix.wav", "-14", "true-peak stage"},
                          Case{"quiet.wav", "-11", "maximizer and true-peak stage"}})
    {
        SCOPED_TRACE(c.target);
        const Sound output =
            master({c.input, "out.wav", "--target", c.target, "--report", "r.json"}, "out.wav");
        const Loudness measured = measureLoudness(output);
        EXPECT_NEAR(measured.integrated, std::atof(c.target), 0.1);
        EXPECT_LE(measured.truePeakDb, -1.0);
        const std::string json = fileBytes(folder_.path("r.json"));
        EXPECT_NE(json.find(std::string("\"processing\": \"") + c.processing + "\""),
                  std::string::npos)
            << json;
        // The stage's reduction is deep at the kicks and shallower most of the time.
        EXPECT_LT(jsonNumber(json, "largest_db"), -0.5) << json;
        EXPECT_GT(jsonNumber(json, "median_db"), jsonNumber(json, "largest_db")) << json;
        EXPECT_LT(jsonNumber(json, "residual_db"), -15.0) << json;
        // The band the maximizer runs is reported only where it ran.
        EXPECT_EQ(json.find("\"bands\": null") == std::string::npos,
                  std::string(c.processing).starts_with("maximizer"))
            << json;
    }
}

TEST_F(RenderDelivery, BringsSparseSpeechToALoudTargetWithTheStagesFastRelease)
{
    writeSound(folder_.path("voice.wav"), sparseVoice());
    const Sound output =
        master({"voice.wav", "out.wav", "--target", "-9", "--report", "r.json"}, "out.wav");
    const Loudness measured = measureLoudness(output);
    EXPECT_NEAR(measured.integrated, -9.0, 0.1);
    EXPECT_LE(measured.truePeakDb, -1.0);
    EXPECT_NE(last_.out.find("target reached"), std::string::npos) << last_.out;
    const std::string json = fileBytes(folder_.path("r.json"));
    EXPECT_NE(json.find("\"processing\": \"true-peak stage, fast release\""), std::string::npos)
        << json;
}

// Whatever the stage achieves, the report never calls a master whose true peak, read by the
// 16x meter, is over the ceiling a success: such a master is a missed target.
TEST_F(RenderDelivery, ExitsWith3WhenTheWrittenTruePeakIsOverTheCeiling)
{
    writeSound(folder_.path("mix.wav"), interSamplePeakMix());
    for (const char* ceiling : {"-1", "-3"})
    {
        SCOPED_TRACE(ceiling);
        const RunResult result = folder_.run(
            {"mix.wav", "out.wav", "--program", "0", "--target", "-9", "--ceiling", ceiling});
        const Loudness measured = measureLoudness(readSound(folder_.path("out.wav")));
        if (measured.truePeakDb > std::atof(ceiling))
        {
            EXPECT_EQ(result.status, 3);
            EXPECT_NE(result.err.find("over the ceiling"), std::string::npos) << result.err;
        }
        else
            EXPECT_EQ(result.status, 0) << result.err;
    }
}

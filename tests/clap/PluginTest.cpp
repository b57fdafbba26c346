// The built VRN-07.clap as a host drives it through clap_entry: what it says of itself, its
// parameters' values and texts, events inside a block, its latency, its state, and what it
// answers to calls a careful host would not make.
#include "tests/clap/ClapHost.h"

#include "core/ParameterValues.h"
#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"
#include "engine/TruePeakLimiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kParameters = 17;
constexpr clap_id kProgram = 1000;

const clap_plugin_entry_t* entry()
{
    static const clap_plugin_entry_t* loaded = loadClapEntry(clapPluginPath());
    return loaded;
}

// Loud noise over a sine, far above full scale at times.
std::vector<float> programme(size_t frames)
{
    std::vector<float> samples(frames * 2);
    uint32_t seed = 7;
    for (size_t i = 0; i < frames; ++i)
    {
        const float sine = 1.3f * float(std::sin(0.013 * double(i)));
        for (int channel = 0; channel < 2; ++channel)
        {
            seed = seed * 1664525u + 1013904223u;
            samples[2 * i + size_t(channel)] = sine + 0.6f * (float(seed >> 8) / 8388608.0f - 1.0f);
        }
    }
    return samples;
}

double plainOfReal(ClapHost& host, clap_id id, const char* text)
{
    double plain = -1.0;
    EXPECT_TRUE(host.extension<clap_plugin_params_t>(kClapExtParams)
                    ->text_to_value(host.plugin(), id, text, &plain))
        << text;
    return plain;
}

std::string textOf(ClapHost& host, clap_id id, double plain)
{
    char text[64] = {};
    EXPECT_TRUE(host.extension<clap_plugin_params_t>(kClapExtParams)
                    ->value_to_text(host.plugin(), id, plain, text, sizeof text));
    return text;
}

class ClapPlugin : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_NE(host_.plugin(), nullptr) << clapPluginPath(); }

    const clap_plugin_params_t* params() const
    {
        return host_.extension<clap_plugin_params_t>(kClapExtParams);
    }

    ClapHost host_{entry()};
};
} // namespace

TEST_F(ClapPlugin, DescribesOneStereoLimiterWithItsExtensions)
{
    EXPECT_EQ(entry()->clap_version.major, 1u);
    const clap_plugin_factory_t* factory = host_.factory();
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
    EXPECT_STREQ(descriptor->id, "norvik.vrn07");
    EXPECT_STREQ(descriptor->name, "VRN-07");
    std::set<std::string> features;
    for (const char* const* feature = descriptor->features; *feature; ++feature)
        features.insert(*feature);
    EXPECT_EQ(features, (std::set<std::string>{"audio-effect", "limiter", "mastering", "stereo"}));
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    EXPECT_EQ(entry()->get_factory("clap.preset-discovery-factory/2"), nullptr);
    EXPECT_EQ(ClapHost(entry(), "norvik.vrn08").plugin(), nullptr);

    for (const char* id : {kClapExtAudioPorts, kClapExtParams, kClapExtLatency, kClapExtState,
                           kClapExtGui, kClapExtTimerSupport})
        EXPECT_NE(host_.plugin()->get_extension(host_.plugin(), id), nullptr) << id;
        // File descriptors are for the X11 editor's tick only.
#if defined(_WIN32)
    EXPECT_EQ(host_.plugin()->get_extension(host_.plugin(), kClapExtPosixFdSupport), nullptr);
#else
    EXPECT_NE(host_.plugin()->get_extension(host_.plugin(), kClapExtPosixFdSupport), nullptr);
#endif
    EXPECT_EQ(host_.plugin()->get_extension(host_.plugin(), "clap.note-ports"), nullptr);

    const auto* ports = host_.extension<clap_plugin_audio_ports_t>(kClapExtAudioPorts);
    for (const bool input : {true, false})
    {
        ASSERT_EQ(ports->count(host_.plugin(), input), 1u);
        clap_audio_port_info_t info{};
        ASSERT_TRUE(ports->get(host_.plugin(), 0, input, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, "stereo");
        EXPECT_EQ(info.in_place_pair, info.id);
        EXPECT_FALSE(ports->get(host_.plugin(), 1, input, &info));
    }
}

// Ids are the records' indices; every default reads back as the value of a fresh instance,
// and a stepped parameter's range is whole steps.
TEST_F(ClapPlugin, ListsTheControlsAndTheCeilingUnderStableIds)
{
    ASSERT_EQ(params()->count(host_.plugin()), kParameters);
    std::set<clap_id> ids;
    for (uint32_t i = 0; i < kParameters; ++i)
    {
        clap_param_info_t info{};
        ASSERT_TRUE(params()->get_info(host_.plugin(), i, &info));
        ids.insert(info.id);
        SCOPED_TRACE(info.name);
        if (info.id != kProgram)
        {
            EXPECT_STREQ(info.name, info.id == kParamCeiling ? kCeilingRecord.name
                                                             : parameterRecord(int(info.id)).name);
        }
        EXPECT_EQ(host_.value(info.id), info.default_value);
        EXPECT_LE(info.min_value, info.default_value);
        EXPECT_LE(info.default_value, info.max_value);
        if (info.flags & kClapParamIsStepped)
        {
            EXPECT_EQ(info.max_value, std::floor(info.max_value));
        }
        EXPECT_TRUE(info.flags & kClapParamIsAutomatable);
    }
    std::set<clap_id> expected;
    for (int index = kFirstHostControl; index < kNumParameters; ++index)
        expected.insert(clap_id(index));
    expected.insert(kParamCeiling);
    expected.insert(kProgram);
    EXPECT_EQ(ids, expected);
    clap_param_info_t info{};
    EXPECT_FALSE(params()->get_info(host_.plugin(), kParameters, &info));
    double value = 0;
    EXPECT_FALSE(params()->get_value(host_.plugin(), 12, &value));
    EXPECT_FALSE(params()->get_value(host_.plugin(), kParamCeiling + 1, &value));
}

// Every value's text reads back as a value with the same text, for each parameter across its
// range; the units convert.
TEST_F(ClapPlugin, ReadsBackTheTextsItWrites)
{
    for (uint32_t i = 0; i < kParameters; ++i)
    {
        clap_param_info_t info{};
        ASSERT_TRUE(params()->get_info(host_.plugin(), i, &info));
        for (int step = 0; step <= 40; ++step)
        {
            const double plain = info.min_value + (info.max_value - info.min_value) * step / 40;
            const std::string text = textOf(host_, info.id, plain);
            SCOPED_TRACE(std::string(info.name) + ": " + text);
            EXPECT_EQ(textOf(host_, info.id, plainOfReal(host_, info.id, text.c_str())), text);
        }
    }
    EXPECT_EQ(textOf(host_, kParamOutputGain, plainOfReal(host_, kParamOutputGain, "-3.5")),
              "-3.5 dB");
    EXPECT_EQ(plainOfReal(host_, kParamCrossoverHigh, "0.85 kHz"),
              plainOfReal(host_, kParamCrossoverHigh, "850Hz"));
    EXPECT_EQ(plainOfReal(host_, kParamRelease, "0.1 s"),
              plainOfReal(host_, kParamRelease, "100 ms"));
    EXPECT_EQ(textOf(host_, kParamCeiling, plainOfReal(host_, kParamCeiling, "-1")), "-1.0 dBTP");
    EXPECT_EQ(textOf(host_, kParamCeiling, 0), "OFF");
    EXPECT_EQ(textOf(host_, kParamSens, 1), "on");
    EXPECT_EQ(textOf(host_, kProgram, plainOfReal(host_, kProgram, kFactoryPresets[3].name)),
              kFactoryPresets[3].name);

    double value = 0;
    for (const char* bad : {"", "loud", "3 Hz", "nan", "1e999"})
        EXPECT_FALSE(params()->text_to_value(host_.plugin(), kParamGainLow, bad, &value)) << bad;
    EXPECT_FALSE(params()->text_to_value(host_.plugin(), kParamGainLow, nullptr, &value));
    EXPECT_FALSE(params()->text_to_value(host_.plugin(), 3, "1", &value));
    char text[8];
    EXPECT_FALSE(params()->value_to_text(host_.plugin(), kParamGainLow,
                                         std::numeric_limits<double>::quiet_NaN(), text, 8));
    // A short buffer gets a terminated text.
    ASSERT_TRUE(params()->value_to_text(host_.plugin(), kParamCrossoverHigh, 0.5, text, 4));
    EXPECT_EQ(std::strlen(text), 3u);
}

// An event at frame k of a block sounds as the block split at k with the event between.
TEST_F(ClapPlugin, AppliesEventsAtTheirFrameInsideTheBlock)
{
    const std::vector<float> input = programme(2048);
    ClapHost split(entry());
    ASSERT_TRUE(host_.activate());
    ASSERT_TRUE(split.activate());
    const std::vector<clap_event_param_value_t> events = {
        valueEvent(kParamLimiterGain, 40, 300), valueEvent(kParamCrossoverLow, 0.7, 300),
        valueEvent(kParamBypass, 0, 1100), valueEvent(kParamBypass, 1, 1500)};
    const std::vector<float> whole = host_.play(input, 2048, events);

    std::vector<float> pieces;
    const uint32_t cuts[] = {0, 300, 1100, 1500, 2048};
    for (int piece = 0; piece < 4; ++piece)
    {
        std::vector<clap_event_param_value_t> atStart;
        for (clap_event_param_value_t event : events)
            if (event.header.time == cuts[piece])
            {
                event.header.time = 0;
                atStart.push_back(event);
            }
        const std::vector<float> part(input.begin() + cuts[piece] * 2,
                                      input.begin() + cuts[piece + 1] * 2);
        const std::vector<float> played = split.play(part, 2048, atStart);
        pieces.insert(pieces.end(), played.begin(), played.end());
    }
    EXPECT_TRUE(whole == pieces);
    // The events changed the sound: without them it differs.
    ClapHost plain(entry());
    ASSERT_TRUE(plain.activate());
    EXPECT_FALSE(plain.play(input, 2048) == whole);
}

// Choosing a program inside a block sounds as the program loaded from a state, and the host
// hears every control's new value.
TEST_F(ClapPlugin, LoadsTheProgramTheHostChooses)
{
    const std::vector<float> input = programme(4096);
    CParameterValues values;
    values.storeProgram(2);
    ClapHost loaded(entry());
    ASSERT_TRUE(loaded.loadState(values.saveText()));
    ASSERT_TRUE(loaded.activate());
    ASSERT_TRUE(host_.activate());
    EXPECT_TRUE(host_.play(input, 512, {valueEvent(kProgram, 2)}) == loaded.play(input, 512));
    EXPECT_EQ(host_.value(kProgram), 2.0);
    EXPECT_EQ(host_.saveState(), loaded.saveState());
    std::set<clap_id> reported;
    for (const OutputEvent& event : host_.outputs())
    {
        EXPECT_EQ(event.value, host_.value(event.id));
        reported.insert(event.id);
    }
    EXPECT_EQ(reported.size(), size_t(kHostControlCount));
}

// The ceiling's look-ahead joins the latency at the next activation, which the plug-in asks
// for; the host hears the new latency there.
TEST_F(ClapPlugin, AsksForARestartWhenTheCeilingSwitches)
{
    ASSERT_TRUE(host_.activate(48000));
    EXPECT_EQ(host_.latency(), 15u);
    const std::vector<float> input = programme(256);
    host_.play(input, 256, {valueEvent(kParamCeiling, 30)});
    host_.play(input, 256, {valueEvent(kParamCeiling, 20)});
    EXPECT_EQ(host_.restartRequests, 1);
    host_.deactivate();
    const int changes = host_.latencyChanges;
    ASSERT_TRUE(host_.activate(48000));
    const auto lookAhead = uint32_t(CTruePeakLimiter(48000).latencyFrames());
    EXPECT_GT(lookAhead, 0u);
    EXPECT_EQ(host_.latency(), 15u + lookAhead);
    EXPECT_EQ(host_.latencyChanges, changes + 1);
    host_.play(input, 256, {valueEvent(kParamCeiling, 0)});
    EXPECT_EQ(host_.restartRequests, 2);
}

// A saved state, loaded into another instance, reproduces the sound; pieces of any size are
// taken, editor-only settings go with it.
TEST_F(ClapPlugin, ReproducesTheSoundFromItsState)
{
    host_.flush({valueEvent(kParamThresholdMid, 11), valueEvent(kParamRelease, 0.33),
                 valueEvent(kParamSafeClip, 0), valueEvent(kParamCeiling, 45)});
    const std::string state = host_.saveState();
    ASSERT_FALSE(state.empty());
    ClapHost restored(entry());
    ASSERT_TRUE(restored.loadState(state, 1));
    EXPECT_EQ(restored.saveState(), state);
    EXPECT_GE(restored.rescans, 1);
    ASSERT_TRUE(host_.activate());
    ASSERT_TRUE(restored.activate());
    const std::vector<float> input = programme(4096);
    EXPECT_TRUE(host_.play(input, 512) == restored.play(input, 512));
}

TEST_F(ClapPlugin, RefusesDamagedForeignOrOversizedStateAndKeepsItsSettings)
{
    host_.flush({valueEvent(kParamGainHigh, 50)});
    const std::string before = host_.saveState();
    std::string damaged = before;
    damaged.replace(damaged.find("gain_hi"), 7, "gain_xx");
    const std::string oversized = before + std::string(100000, '\n');
    for (const std::string& bad :
         {damaged, std::string("VRN-07 settings 2\n"), std::string("<preset/>"), oversized,
          before.substr(0, before.size() / 2) + "x"})
    {
        EXPECT_FALSE(host_.loadState(bad));
        EXPECT_EQ(host_.saveState(), before);
    }
    EXPECT_EQ(host_.rescans, 0);
}

// Calls outside the order hosts keep, and values no host should send, get a defined answer.
TEST_F(ClapPlugin, AnswersBadCallsWithoutHarm)
{
    const std::vector<float> input = programme(64);
    std::vector<float> left(64), right(64);
    EXPECT_EQ(host_.process(left.data(), right.data(), left.data(), right.data(), 64),
              kClapProcessError)
        << "processing before activation";
    for (const double rate : {0.0, -48000.0, 1e9, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(host_.plugin()->activate(host_.plugin(), rate, 1, 512)) << rate;
    EXPECT_FALSE(host_.plugin()->activate(host_.plugin(), 48000, 1, 0));
    EXPECT_FALSE(host_.plugin()->activate(host_.plugin(), 48000, 600, 512));
    ASSERT_TRUE(host_.activate(48000, 512));
    EXPECT_FALSE(host_.plugin()->activate(host_.plugin(), 48000, 1, 512)) << "already active";
    EXPECT_EQ(host_.process(nullptr, right.data(), left.data(), right.data(), 64),
              kClapProcessError);
    EXPECT_EQ(host_.plugin()->process(host_.plugin(), nullptr), kClapProcessError);

    // Unknown ids, non-finite values and out-of-range values: ignored or held to the range.
    const std::string before = host_.saveState();
    host_.play(input, 64,
               {valueEvent(3, 1), valueEvent(kParamCeiling + 1, 1), valueEvent(999999, 1),
                valueEvent(kParamGainLow, std::numeric_limits<double>::quiet_NaN()),
                valueEvent(kParamAttack, std::numeric_limits<double>::infinity())});
    EXPECT_EQ(host_.saveState(), before);
    host_.play(input, 64, {valueEvent(kParamGainLow, 1e9), valueEvent(kParamAttack, -5)});
    EXPECT_EQ(textOf(host_, kParamGainLow, host_.value(kParamGainLow)), "18.0 dB");
    EXPECT_EQ(host_.value(kParamAttack), 0.0);
    // Events past the block's end take effect at its end; a block of no frames takes events.
    host_.play(input, 64, {valueEvent(kParamSens, 1, 9999)});
    EXPECT_EQ(host_.value(kParamSens), 1.0);
    EXPECT_EQ(host_.process(left.data(), right.data(), left.data(), right.data(), 0,
                            {valueEvent(kParamSens, 0)}),
              kClapProcessContinue);
    EXPECT_EQ(host_.value(kParamSens), 0.0);
    // A block longer than announced is still played.
    std::vector<float> longLeft(20000, 0.1f), longRight(20000, 0.1f);
    EXPECT_EQ(
        host_.process(longLeft.data(), longRight.data(), longLeft.data(), longRight.data(), 20000),
        kClapProcessContinue);

    // Handles this build did not make.
    clap_plugin_t foreign = *host_.plugin();
    int notAnInstance = 0;
    foreign.plugin_data = &notAnInstance;
    EXPECT_EQ(foreign.process(&foreign, nullptr), kClapProcessError);
    EXPECT_EQ(foreign.get_extension(&foreign, kClapExtParams), nullptr);
    EXPECT_FALSE(params()->get_value(nullptr, kParamGainLow, nullptr));
    host_.deactivate();
}

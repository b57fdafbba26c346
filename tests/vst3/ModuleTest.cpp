// The built module as a host sees it: its factory and class, the interfaces of the one object,
// the parameters and their texts, the state, and defined answers to what a careless host does.
#include "tests/vst3/Vst3Host.h"

#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"
#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{
constexpr int kRate = 48000;
constexpr int kBlock = 512;

std::string ascii(const vst3::TChar* text)
{
    std::string result;
    for (int i = 0; i < 128 && text[i]; ++i)
        result.push_back(char(text[i]));
    return result;
}

std::u16string utf16(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

class Vst3Module_ : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_NE(module_.factory(), nullptr) << module_.error(); }

    std::string state(Vst3Instance& instance)
    {
        MemoryStream stream;
        EXPECT_EQ(instance.component->getState(&stream), vst3::kResultOk);
        return stream.bytes();
    }

    // A second of a loud programme through the instance, in blocks.
    std::vector<float> play(Vst3Instance& instance)
    {
        std::vector<float> left(kRate), right(kRate);
        for (int i = 0; i < kRate; ++i)
        {
            left[size_t(i)] = float(1.5 * std::sin(i * 0.013));
            right[size_t(i)] = float(1.2 * std::sin(i * 0.021));
        }
        for (int at = 0; at < kRate; at += kBlock)
            processBlock(*instance.processor, &left[size_t(at)], &right[size_t(at)],
                         std::min(kBlock, kRate - at));
        left.insert(left.end(), right.begin(), right.end());
        return left;
    }

    Vst3Module module_{testModulePath()};
};
using Vst3Factory = Vst3Module_;
using Vst3Parameters = Vst3Module_;
using Vst3State = Vst3Module_;
using Vst3BadInput = Vst3Module_;
} // namespace

// ---------------------------------------------------------------------------- factory

TEST_F(Vst3Factory, DescribesOneDynamicsEffectUnderItsStoredId)
{
    vst3::IPluginFactory2& factory = *module_.factory();
    vst3::PFactoryInfo info{};
    ASSERT_EQ(factory.getFactoryInfo(&info), vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "[Norvik] Tesmora.K");
    ASSERT_EQ(factory.countClasses(), 1);
    vst3::PClassInfo2 klass{};
    ASSERT_EQ(factory.getClassInfo2(0, &klass), vst3::kResultOk);
    EXPECT_STREQ(klass.category, "Audio Module Class");
    EXPECT_STREQ(klass.name, "VRN-07");
    EXPECT_STREQ(klass.subCategories, "Fx|Dynamics");
    // Hosts store the id in sessions as its bytes in hex (Ardour's scanner prints it so).
    char hex[33] = {};
    for (int i = 0; i < 16; ++i)
        std::snprintf(hex + 2 * i, 3, "%02X", unsigned(uint8_t(klass.cid[i])));
#if !defined(_WIN32)
    EXPECT_STREQ(hex, "56524E3037A14C3D9E0B5F276C8D4B19");
#endif
    vst3::PClassInfo plain{};
    EXPECT_EQ(factory.getClassInfo(1, &plain), vst3::kInvalidArgument);
    EXPECT_EQ(factory.getClassInfo(0, nullptr), vst3::kInvalidArgument);
}

TEST_F(Vst3Factory, AnswersEveryInterfaceFromOneObject)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    ASSERT_NE(instance.component, nullptr);
    EXPECT_NE(instance.processor, nullptr);
    EXPECT_NE(instance.controller, nullptr);
    EXPECT_NE(instance.units, nullptr);
    // COM identity: FUnknown of every interface is the same pointer.
    void* fromComponent = nullptr;
    void* fromController = nullptr;
    instance.component->queryInterface(vst3::iid::kFUnknown.bytes, &fromComponent);
    instance.controller->queryInterface(vst3::iid::kFUnknown.bytes, &fromController);
    EXPECT_EQ(fromComponent, fromController);
    static_cast<vst3::FUnknown*>(fromComponent)->release();
    static_cast<vst3::FUnknown*>(fromController)->release();
    void* none = &instance;
    EXPECT_EQ(instance.component->queryInterface(vst3::iid::kRunLoop.bytes, &none),
              vst3::kNoInterface);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(instance.component->queryInterface(nullptr, &none), vst3::kNoInterface);
}

TEST_F(Vst3Factory, CreatesNothingForAnotherClass)
{
    void* object = &object;
    const vst3::Uid other = vst3::makeUid(1, 2, 3, 4);
    EXPECT_NE(module_.factory()->createInstance(other.bytes, vst3::iid::kComponent.bytes, &object),
              vst3::kResultOk);
    EXPECT_EQ(object, nullptr);
}

// ---------------------------------------------------------------------------- parameters

TEST_F(Vst3Parameters, ShowTheControlsTheCeilingAndTheProgramsWithTheirDefaults)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    vst3::IEditController& controller = *instance.controller;
    ASSERT_EQ(controller.getParameterCount(), kHostControlCount + 2);
    std::vector<vst3::ParamID> ids;
    for (int i = 0; i < controller.getParameterCount(); ++i)
    {
        vst3::ParameterInfo info{};
        ASSERT_EQ(controller.getParameterInfo(i, info), vst3::kResultOk);
        ids.push_back(info.id);
        SCOPED_TRACE(ascii(info.title));
        // A fresh instance stands at every default.
        EXPECT_DOUBLE_EQ(controller.getParamNormalized(info.id), info.defaultNormalizedValue);
        const bool bypass = info.id == vst3::ParamID(kParamBypass);
        EXPECT_EQ((info.flags & vst3::ParameterInfo::kIsBypass) != 0, bypass);
        if (bypass)
        {
            EXPECT_EQ(info.defaultNormalizedValue, 0.0) << "not bypassed";
        }
        if (info.id == vst3_parameters::kProgramId)
        {
            EXPECT_EQ(info.stepCount, kNumPrograms - 1);
            EXPECT_NE(info.flags & vst3::ParameterInfo::kIsProgramChange, 0);
        }
        // Every step is a value of its own.
        for (int step = 1; step <= info.stepCount; ++step)
            EXPECT_LT(controller.normalizedParamToPlain(info.id, double(step - 1) / info.stepCount),
                      controller.normalizedParamToPlain(info.id, double(step) / info.stepCount))
                << "step " << step;
    }
    EXPECT_EQ(ids.front(), vst3::ParamID(kFirstHostControl));
    EXPECT_EQ(ids[size_t(kHostControlCount)], vst3::ParamID(kParamCeiling));
    vst3::ParameterInfo info{};
    EXPECT_EQ(controller.getParameterInfo(kHostControlCount + 2, info), vst3::kInvalidArgument);
    EXPECT_EQ(controller.getParameterInfo(-1, info), vst3::kInvalidArgument);
}

// Whatever a host shows, typed back, means the same value.
TEST_F(Vst3Parameters, ReadTheirTextsBackToTheSameValue)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    vst3::IEditController& controller = *instance.controller;
    for (int i = 0; i < controller.getParameterCount(); ++i)
    {
        vst3::ParameterInfo info{};
        controller.getParameterInfo(i, info);
        for (double value = 0.0; value <= 1.0; value += 1.0 / 32)
        {
            vst3::String128 text{};
            ASSERT_EQ(controller.getParamStringByValue(info.id, value, text), vst3::kResultOk);
            double typed = -1.0;
            ASSERT_EQ(controller.getParamValueByString(info.id, text, typed), vst3::kResultOk)
                << ascii(text);
            vst3::String128 again{};
            controller.getParamStringByValue(info.id, typed, again);
            EXPECT_EQ(ascii(again), ascii(text)) << ascii(info.title) << " at " << value;
        }
    }
    vst3::String128 text{};
    controller.getParamStringByValue(kParamBypass, 1.0, text);
    EXPECT_EQ(ascii(text), "bypass");
    controller.getParamStringByValue(kParamCeiling, 0.0, text);
    EXPECT_EQ(ascii(text), "OFF");
}

TEST_F(Vst3Parameters, RefuseTextsThatNameNoValue)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    vst3::IEditController& controller = *instance.controller;
    struct
    {
        vst3::ParamID id;
        const char* text;
    } const cases[] = {{kParamThresholdLow, "loud"},
                       {kParamThresholdLow, "3 Hz"},
                       {kParamCrossoverLow, ""},
                       {kParamSafeClip, "2"},
                       {kParamCeiling, "-1 Hz"},
                       {vst3_parameters::kProgramId, "No such"},
                       {999, "1"}};
    for (const auto& typed : cases)
    {
        double value = 0.25;
        std::u16string text = utf16(typed.text);
        EXPECT_NE(controller.getParamValueByString(typed.id, text.data(), value), vst3::kResultOk)
            << typed.text;
        EXPECT_EQ(value, 0.25);
    }
    double value = 0.0;
    std::u16string kiloHertz = utf16("1.5 kHz");
    ASSERT_EQ(controller.getParamValueByString(kParamCrossoverHigh, kiloHertz.data(), value),
              vst3::kResultOk);
    EXPECT_NEAR(controller.normalizedParamToPlain(kParamCrossoverHigh, value), 1500.0, 1e-9);
}

// ---------------------------------------------------------------------------- state

// A state taken from one instance makes another sound the same, in as many reads as the
// host's stream needs.
TEST_F(Vst3State, CarriesEverySettingToAnotherInstance)
{
    Vst3Instance first(*module_.factory(), Vst3Effect::kClassId);
    ASSERT_TRUE(first.start(kRate, kBlock));
    ParameterChanges changes;
    changes.add(vst3_parameters::kProgramId, 0, 3.0 / (kNumPrograms - 1));
    changes.add(kParamThresholdMid, 0, 0.2);
    changes.add(kParamCeiling, 0, 0.5);
    float silence[2][kBlock] = {};
    processBlock(*first.processor, silence[0], silence[1], kBlock, &changes);
    const std::string saved = state(first);

    Vst3Instance second(*module_.factory(), Vst3Effect::kClassId);
    MemoryStream trickle(saved, 7);
    ASSERT_EQ(second.component->setState(&trickle), vst3::kResultOk);
    ASSERT_TRUE(second.start(kRate, kBlock));
    EXPECT_EQ(state(second), saved);
    EXPECT_EQ(second.processor->getLatencySamples(), first.processor->getLatencySamples());
    first.component->setActive(0);
    first.component->setActive(1);
    EXPECT_EQ(play(first), play(second));

    // The controller follows the component's state.
    Vst3Instance third(*module_.factory(), Vst3Effect::kClassId);
    MemoryStream stream(saved);
    ASSERT_EQ(third.controller->setComponentState(&stream), vst3::kResultOk);
    for (vst3::ParamID id : {vst3::ParamID(kParamThresholdMid), vst3::ParamID(kParamCeiling)})
        EXPECT_EQ(third.controller->getParamNormalized(id),
                  first.controller->getParamNormalized(id));
}

TEST_F(Vst3State, RefusesDamagedForeignAndOversizedStateAndKeepsItsOwn)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    const std::string own = state(instance);
    std::string damaged = own;
    damaged.replace(damaged.find('\n') + 1, 5, "#@!%&");
    const std::string bad[] = {
        "",
        damaged,
        "VRN-07 settings 99\nthreshold_low 3\n",
        "<?xml version=\"1.0\"?><foreign/>",
        own + std::string(Vst3Effect::kStateLimit, ' '),
    };
    for (const std::string& bytes : bad)
    {
        MemoryStream stream(bytes);
        EXPECT_NE(instance.component->setState(&stream), vst3::kResultOk) << bytes.substr(0, 40);
        EXPECT_EQ(state(instance), own);
    }
    EXPECT_NE(instance.component->setState(nullptr), vst3::kResultOk);
    EXPECT_NE(instance.component->getState(nullptr), vst3::kResultOk);
}

// ---------------------------------------------------------------------------- bad input

TEST_F(Vst3BadInput, GetsADefinedAnswer)
{
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    ASSERT_NE(instance.component, nullptr);
    vst3::IAudioProcessor& processor = *instance.processor;
    vst3::IEditController& controller = *instance.controller;

    // Processing before activation leaves the buffers alone.
    float left[64], right[64];
    std::fill(std::begin(left), std::end(left), 0.5f);
    std::fill(std::begin(right), std::end(right), 0.5f);
    float* channels[2] = {left, right};
    vst3::AudioBusBuffers buses{};
    buses.numChannels = 2;
    buses.channelBuffers32 = channels;
    vst3::ProcessData data{};
    data.numSamples = 64;
    data.numInputs = data.numOutputs = 1;
    data.inputs = data.outputs = &buses;
    EXPECT_EQ(processor.process(data), vst3::kNotInitialized);
    EXPECT_EQ(left[10], 0.5f);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double rate : {0.0, -44100.0, nan, 1e9})
    {
        vst3::ProcessSetup setup{0, vst3::kSample32, 512, rate};
        EXPECT_NE(processor.setupProcessing(setup), vst3::kResultOk) << rate;
    }
    vst3::ProcessSetup doubles{0, vst3::kSample64, 512, 48000};
    EXPECT_NE(processor.setupProcessing(doubles), vst3::kResultOk);
    vst3::SpeakerArrangement mono = 1, stereo = vst3::kStereo;
    EXPECT_NE(processor.setBusArrangements(&mono, 1, &stereo, 1), vst3::kResultOk);
    EXPECT_NE(processor.setBusArrangements(nullptr, 0, nullptr, 0), vst3::kResultOk);

    // Unknown ids and non-finite values change nothing.
    const std::string before = state(instance);
    EXPECT_EQ(controller.setParamNormalized(999, 0.5), vst3::kInvalidArgument);
    EXPECT_EQ(controller.setParamNormalized(kParamThresholdLow, nan), vst3::kInvalidArgument);
    EXPECT_EQ(controller.getParamStringByValue(999, 0.5, nullptr), vst3::kInvalidArgument);
    vst3::String128 text{};
    EXPECT_EQ(controller.getParamStringByValue(999, 0.5, text), vst3::kInvalidArgument);
    EXPECT_EQ(controller.getParamStringByValue(kParamThresholdLow, nan, text),
              vst3::kInvalidArgument);
    double value = 0.0;
    EXPECT_NE(controller.getParamValueByString(kParamThresholdLow, nullptr, value),
              vst3::kResultOk);
    EXPECT_EQ(controller.createView("no such view"), nullptr);
    EXPECT_EQ(controller.createView(nullptr), nullptr);
    vst3::String128 name{};
    EXPECT_NE(instance.units->getProgramName(1, kNumPrograms, name), vst3::kResultOk);
    EXPECT_NE(instance.units->getProgramName(7, 0, name), vst3::kResultOk);
    EXPECT_EQ(state(instance), before);

    // Queues of unknown parameters, non-finite values and offsets outside the block; buses
    // without buffers.
    ASSERT_TRUE(instance.start(kRate, 64));
    ParameterChanges changes;
    changes.add(999, 3, 0.5);
    changes.add(kParamThresholdLow, -20, nan);
    changes.add(kParamGainLow, 1000, 0.75);
    processBlock(processor, left, right, 64, &changes);
    for (float sample : left)
        EXPECT_TRUE(std::isfinite(sample));
    EXPECT_EQ(controller.getParamNormalized(kParamGainLow), 0.75)
        << "a point past the block's end is applied after it";
    channels[1] = nullptr;
    EXPECT_EQ(processor.process(data), vst3::kInvalidArgument);
    data.numSamples = -5;
    EXPECT_EQ(processor.process(data), vst3::kInvalidArgument);
}

// Ardour 7.3 selects a program holding its processing lock, which its restartComponent waits
// for: the plug-in must not restart the host from inside that call (the run loop's timer
// tells the host later, see ViewWindowTest).
TEST_F(Vst3BadInput, DoesNotRestartTheHostFromInsideAProgramChange)
{
    // The handler outlives the plug-in, which lets go of it when it is terminated.
    RecordingHandler handler;
    Vst3Instance instance(*module_.factory(), Vst3Effect::kClassId);
    instance.controller->setComponentHandler(&handler);
    const double before = instance.controller->getParamNormalized(kParamLimiterGain);
    ASSERT_EQ(instance.controller->setParamNormalized(vst3_parameters::kProgramId, 1.0),
              vst3::kResultOk);
    EXPECT_NE(instance.controller->getParamNormalized(kParamLimiterGain), before);
    EXPECT_TRUE(handler.calls.empty());
    MemoryStream stream(state(instance));
    ASSERT_EQ(instance.component->setState(&stream), vst3::kResultOk);
    EXPECT_TRUE(handler.calls.empty());
}

// A host may drop the plug-in from inside a call the plug-in makes to it.
TEST_F(Vst3BadInput, SurvivesBeingReleasedFromInsideTheHostsHandler)
{
    auto* instance = new Vst3Instance(*module_.factory(), Vst3Effect::kClassId);
    RecordingHandler handler;
    instance->controller->setComponentHandler(&handler);
    handler.onCall = [&instance]
    {
        delete instance;
        instance = nullptr;
    };
    // The ceiling brings its look-ahead: the plug-in restarts its host, which lets go of its
    // last reference; the plug-in goes when the call returns.
    EXPECT_EQ(instance->controller->setParamNormalized(kParamCeiling, 1.0), vst3::kResultOk);
    EXPECT_EQ(instance, nullptr);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls.front(), "restart " + std::to_string(vst3::kLatencyChanged));
}

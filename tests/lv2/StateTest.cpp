// The editor-only settings kept through the host's state interface: saved as real values
// under the bundle's keys, restored into the instance the editor reads.
#include "tests/lv2/Lv2Host.h"

#include "engine/ControlTable.h"
#include "plugin/lv2/Lv2Effect.h"
#include "plugin/lv2/Lv2Uris.h"

#include <lv2/atom/util.h>
#include <lv2/state/state.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
class Lv2State : public ::testing::Test
{
  protected:
    Lv2State() : instance_(library_, 44100, &map_) {}

    EditorSettings& settings() { return Lv2Effect::fromHandle(instance_.handle())->settings(); }
    uint32_t key(int index)
    {
        for (const lv2::SettingKey& setting : lv2::kSettingKeys)
            if (setting.index == index)
                return map_.map(setting.uri);
        return 0;
    }
    float savedReal(const SavedState& state, int index)
    {
        float real = -1.0f;
        std::memcpy(&real, state.values.at(key(index)).bytes.data(), sizeof(real));
        return real;
    }
    LV2_State_Status save(SavedState& state)
    {
        return instance_.state()->save(instance_.handle(), SavedState::store, &state, 0, nullptr);
    }
    LV2_State_Status restore(SavedState& state)
    {
        return instance_.state()->restore(instance_.handle(), SavedState::retrieve, &state, 0,
                                          nullptr);
    }
    static float normalized(int index, double real) { return float(realToNormalized(real, index)); }

    UridMap map_;
    Lv2Library library_;
    Lv2Instance instance_;
};
} // namespace

TEST_F(Lv2State, SavesEverySettingAsAPortableFloatInItsRealUnits)
{
    settings().change(kParamViewerTime, normalized(kParamViewerTime, 1000));
    settings().change(kParamMeterMode, 0.0f);
    SavedState state;
    ASSERT_EQ(save(state), LV2_STATE_SUCCESS);
    ASSERT_EQ(state.values.size(), size_t(lv2::kSettingCount));
    for (const auto& [key, value] : state.values)
    {
        EXPECT_EQ(value.type, map_.map(LV2_ATOM__Float));
        EXPECT_EQ(value.bytes.size(), sizeof(float));
        EXPECT_TRUE(value.flags & LV2_STATE_IS_PORTABLE);
    }
    EXPECT_NEAR(savedReal(state, kParamViewerTime), 1000.0f, 0.01f);
    EXPECT_EQ(savedReal(state, kParamMeterMode), 0.0f);
    EXPECT_EQ(savedReal(state, kParamViewerSource), 1.0f);
}

TEST_F(Lv2State, RestoresSavedSettingsIntoWhatTheEditorReads)
{
    settings().change(kParamViewerLevel, normalized(kParamViewerLevel, 0.25));
    settings().change(kParamViewerMode, 0.0f);
    SavedState state;
    save(state);

    Lv2Instance other(library_, 44100, &map_);
    EditorSettings& restored = Lv2Effect::fromHandle(other.handle())->settings();
    const uint32_t generation = restored.generation();
    ASSERT_EQ(other.state()->restore(other.handle(), SavedState::retrieve, &state, 0, nullptr),
              LV2_STATE_SUCCESS);
    EXPECT_NEAR(restored.value(kParamViewerLevel), normalized(kParamViewerLevel, 0.25), 1e-6);
    EXPECT_EQ(restored.value(kParamViewerMode), 0.0f);
    EXPECT_TRUE(Lv2Effect::fromHandle(other.handle())->published().spectrumMode());
    // An open editor learns of it.
    EXPECT_NE(restored.generation(), generation);
}

// As a program that does not name them: a preset of ports only keeps the viewer as it is.
TEST_F(Lv2State, KeepsSettingsTheStateDoesNotHold)
{
    settings().change(kParamViewerPause, 0.0f);
    SavedState state;
    save(state);
    state.values.erase(key(kParamViewerPause));
    settings().change(kParamViewerPause, 1.0f);
    settings().change(kParamViewerOutput, 0.0f);
    ASSERT_EQ(restore(state), LV2_STATE_SUCCESS);
    EXPECT_EQ(settings().value(kParamViewerPause), 1.0f);
    EXPECT_EQ(settings().value(kParamViewerOutput), 1.0f);
}

TEST_F(Lv2State, IgnoresValuesOfAnotherTypeOrSize)
{
    SavedState state;
    save(state);
    state.values[key(kParamViewerMode)].type = map_.map(LV2_ATOM__Int);
    state.values[key(kParamMeterMode)].bytes.resize(2);
    settings().change(kParamViewerMode, 0.0f);
    settings().change(kParamMeterMode, 0.0f);
    restore(state);
    EXPECT_EQ(settings().value(kParamViewerMode), 0.0f);
    EXPECT_EQ(settings().value(kParamMeterMode), 0.0f);
}

TEST_F(Lv2State, HoldsRestoredValuesToTheirRange)
{
    SavedState state;
    save(state);
    const float far = 1e9f;
    std::memcpy(state.values[key(kParamViewerTime)].bytes.data(), &far, sizeof(far));
    restore(state);
    EXPECT_EQ(settings().value(kParamViewerTime), 1.0f);
}

// The host saves a session it knows to have changed: a setting the editor changes is notified
// once, on the notify port; a setting the host itself restores, or an unchanged one, is not.
TEST_F(Lv2State, TellsTheHostOnceOfEachChangeTheEditorMakes)
{
    struct
    {
        LV2_Atom_Sequence sequence;
        uint8_t room[256];
    } notify{};
    instance_.connect(lv2::kPortNotify, &notify);
    const auto notices = [&]
    {
        notify.sequence.atom = {sizeof(notify.room), map_.map(LV2_ATOM__Chunk)};
        std::vector<float> left(64), right(64);
        instance_.process(left, right, 64);
        EXPECT_EQ(notify.sequence.atom.type, map_.map(LV2_ATOM__Sequence));
        int count = 0;
        LV2_ATOM_SEQUENCE_FOREACH(&notify.sequence, event)
        {
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            EXPECT_EQ(object->atom.type, map_.map(LV2_ATOM__Object));
            EXPECT_EQ(object->body.otype, map_.map(LV2_STATE__StateChanged));
            ++count;
        }
        return count;
    };
    EXPECT_EQ(notices(), 0);
    settings().change(kParamViewerMode, 0.0f);
    EXPECT_EQ(notices(), 1);
    EXPECT_EQ(notices(), 0);
    settings().change(kParamViewerMode, 0.0f);
    EXPECT_EQ(notices(), 0);

    SavedState state;
    save(state);
    settings().change(kParamMeterMode, 0.0f);
    settings().change(kParamViewerLimited, 0.0f);
    EXPECT_EQ(notices(), 1);
    restore(state);
    EXPECT_EQ(notices(), 0);
}

TEST(Lv2StateWithoutMap, RunsButHasNoStateToSave)
{
    Lv2Library library;
    Lv2Instance instance(library, 44100);
    ASSERT_TRUE(instance.valid());
    SavedState state;
    EXPECT_EQ(instance.state()->save(instance.handle(), SavedState::store, &state, 0, nullptr),
              LV2_STATE_ERR_NO_FEATURE);
    EXPECT_TRUE(state.values.empty());
    std::vector<float> left(100, 0.1f), right(100, 0.1f);
    instance.process(left, right, 100);
    EXPECT_EQ(instance.latency(), 15.0f);
}

// A host whose map fails: saving all eight settings under key 0 would restore one value into
// all of them.
TEST(Lv2StateWithFailingMap, RefusesToSaveAndAppliesNothingUnderKeyZero)
{
    UridMap map(lv2::kSettingKeys[3].uri);
    Lv2Library library;
    Lv2Instance instance(library, 44100, &map);
    SavedState state;
    EXPECT_NE(instance.state()->save(instance.handle(), SavedState::store, &state, 0, nullptr),
              LV2_STATE_SUCCESS);
    EXPECT_TRUE(state.values.empty());

    const float paused = 0.0f;
    const char* bytes = reinterpret_cast<const char*>(&paused);
    state.values[0] = {{bytes, bytes + sizeof(paused)}, map.map(LV2_ATOM__Float), 0};
    const EditorSettings& settings = Lv2Effect::fromHandle(instance.handle())->settings();
    std::vector<float> before;
    for (const lv2::SettingKey& key : lv2::kSettingKeys)
        before.push_back(settings.value(key.index));
    instance.state()->restore(instance.handle(), SavedState::retrieve, &state, 0, nullptr);
    for (size_t k = 0; k < before.size(); ++k)
        EXPECT_EQ(settings.value(lv2::kSettingKeys[k].index), before[k]) << k;
}

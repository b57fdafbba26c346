// The instance's internal state, created in-process through the same entry point.
#include "plugin/vst2/AKkk.h"
#include "tools/host/HostHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace
{
class Instance : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        plugin_ = std::make_unique<PluginInstance>(host_.create(VSTPluginMain));
        ASSERT_NE(plugin_->effect(), nullptr);
    }
    AKkk& effect() { return *static_cast<AKkk*>(plugin_->effect()->object); }

    HostHarness host_;
    std::unique_ptr<PluginInstance> plugin_;
};

double gainOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}
} // namespace

TEST_F(Instance, AppliesTheOutputGainDefaultExactlyButARoundTripOnTheHalfDecibelGrid)
{
    effect().resetToDefaults();
    // The default reaches the engine as the float 2.01.
    EXPECT_NEAR(effect().outputGain(), gainOf(double(2.01f)), 1e-12);
    plugin_->setParameter(25, float(realToNormalized(2.01, 25)));
    EXPECT_NEAR(effect().outputGain(), gainOf(2.0), 1e-12);
}

TEST_F(Instance, EndsConstructionWithProgramZeroAppliedThroughTheParameterPath)
{
    // The second selection of program 0 rounds the 2.01 dB default to 2.0 dB.
    EXPECT_NEAR(effect().outputGain(), gainOf(2.0), 1e-12);
    EXPECT_NEAR(effect().limiterGain(), gainOf(3.0), 1e-12);
    EXPECT_TRUE(effect().processingOn());
    EXPECT_TRUE(effect().meterMode());
    EXPECT_FALSE(effect().spectrumMode());
    EXPECT_FALSE(effect().viewerPaused());
    EXPECT_EQ(effect().sampleRate(), 44100);
}

TEST_F(Instance, ClampsValuesBeyondTheNormalisedRangeBeforeApplyingThem)
{
    plugin_->setParameter(24, 100.0f);
    EXPECT_NEAR(effect().limiterGain(), gainOf(18.0), 1e-9);
    plugin_->setParameter(24, std::numeric_limits<float>::infinity());
    EXPECT_NEAR(effect().limiterGain(), gainOf(18.0), 1e-9);
}

TEST_F(Instance, TruncatesTheSampleRateAndIgnoresUnusableOnes)
{
    plugin_->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.7f);
    EXPECT_EQ(effect().sampleRate(), 48000);
    for (float bad : {0.0f, -44100.0f, 999.0f, 2e6f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
    {
        plugin_->dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(effect().sampleRate(), 48000) << bad;
    }
    plugin_->dispatch(effSetSampleRate, 0, 0, nullptr, 1536000.0f);
    EXPECT_EQ(effect().sampleRate(), 1536000);
}

TEST_F(Instance, StoresTheHostBlockSize)
{
    plugin_->dispatch(effSetBlockSize, 0, 256);
    EXPECT_EQ(effect().blockSize(), 256);
}

TEST_F(Instance, PausesTheViewerWhenTheStoredValueTruncatesToZero)
{
    plugin_->setParameter(7, 0.99f);
    EXPECT_TRUE(effect().viewerPaused());
    plugin_->setParameter(7, 1.0f);
    EXPECT_FALSE(effect().viewerPaused());
}

TEST_F(Instance, ShowsTheSpectrumForAnyViewerModeButExactlyOne)
{
    plugin_->setParameter(6, 0.0f);
    EXPECT_TRUE(effect().spectrumMode());
    plugin_->setParameter(6, 0.999f);
    EXPECT_TRUE(effect().spectrumMode());
    plugin_->setParameter(6, 1.0f);
    EXPECT_FALSE(effect().spectrumMode());
}

TEST_F(Instance, ReportsAutomationOnlyForTheUsersOwnChanges)
{
    host_.clearCalls();
    effect().setParameterAutomated(17, 0.75f);
    ASSERT_EQ(host_.count(audioMasterAutomate), 1);
    const HostCall call = host_.calls().back();
    EXPECT_EQ(call.index, 17);
    EXPECT_EQ(call.opt, 0.75f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(17), 0.75f);

    effect().beginEdit(17);
    effect().endEdit(17);
    EXPECT_EQ(host_.count(audioMasterBeginEdit), 1);
    EXPECT_EQ(host_.count(audioMasterEndEdit), 1);
}

TEST(KeyCode, IsBuiltFromIndexValueAndTruncatedOpt)
{
    const VstKeyCode key = keyCodeFromDispatch(65, 0x1234, 2.9f);
    EXPECT_EQ(key.character, 65);
    EXPECT_EQ(key.virt, 0x34);
    EXPECT_EQ(key.modifier, 2);
    EXPECT_EQ(keyCodeFromDispatch(0, 0, std::numeric_limits<float>::quiet_NaN()).modifier, 0);
    EXPECT_EQ(keyCodeFromDispatch(0, 0, 1e20f).modifier, 0);
}

TEST(Host, WithoutACallbackGetsNoInstance)
{
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
}

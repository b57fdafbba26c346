// What the audio path hands the spectrum analysers and the waveform capture, and when.
#include "analysis/SpectrumAnalyzer.h"
#include "tests/audio/AudioFixture.h"

#include <array>
#include <cmath>

namespace
{
constexpr int kColumns = 338;

class ViewerFeeds : public InProcessPlugin
{
  protected:
    void SetUp() override
    {
        InProcessPlugin::SetUp();
        effect().waveformCapture().reset(kColumns);
        effect().waveformCapture().setTime(200.0f);
    }
    void showSpectrum() { setReal(6, 0); }
    // True when the analyser took new data since the last call.
    static bool fed(CSpectrumAnalyzer& analyzer)
    {
        std::array<float, CSpectrumAnalyzer::kBins> power{};
        return analyzer.takePeakPower(power);
    }
    std::array<float, CSpectrumAnalyzer::kBins> power(CSpectrumAnalyzer& analyzer)
    {
        std::array<float, CSpectrumAnalyzer::kBins> bins{};
        analyzer.takePeakPower(bins);
        return bins;
    }
    float newestColumn(Trace trace)
    {
        return effect().waveformCapture().value(trace, kColumns - 1);
    }
    void renderSteady(float level, int frames = 8192)
    {
        StereoBuffer input(frames);
        for (int i = 0; i < frames; ++i)
        {
            input.left[size_t(i)] = i % 2 ? level : -level;
            input.right[size_t(i)] = 0.5f * input.left[size_t(i)];
        }
        render(input, 512);
    }
    void forgetNewData()
    {
        fed(effect().inputAnalyzer());
        fed(effect().outputAnalyzer());
    }
};
} // namespace

TEST_F(ViewerFeeds, FeedTheSpectrumOnlyWhileItIsShownAndRunning)
{
    showSpectrum();
    forgetNewData();
    renderSteady(0.1f);
    EXPECT_FALSE(fed(effect().inputAnalyzer())) << "editor closed";

    effect().editorOpened();
    renderSteady(0.1f);
    EXPECT_TRUE(fed(effect().inputAnalyzer()));
    EXPECT_TRUE(fed(effect().outputAnalyzer()));

    setReal(8, 0); // source curve off
    forgetNewData();
    renderSteady(0.1f);
    EXPECT_FALSE(fed(effect().inputAnalyzer()));
    EXPECT_TRUE(fed(effect().outputAnalyzer()));

    setReal(7, 0); // paused
    forgetNewData();
    renderSteady(0.1f);
    EXPECT_FALSE(fed(effect().outputAnalyzer()));

    setReal(7, 1);
    setReal(6, 1); // waveform viewer
    forgetNewData();
    renderSteady(0.1f);
    EXPECT_FALSE(fed(effect().outputAnalyzer()));
}

TEST_F(ViewerFeeds, ShowTheSourceSpectrumBeforeAndTheSourceEnvelopeAfterTheLimiterGain)
{
    showSpectrum();
    effect().editorOpened();
    setReal(24, 0);
    renderSteady(0.1f);
    const auto quiet = power(effect().inputAnalyzer());
    const float quietEnvelope = newestColumn(Trace::source);

    auto driven = create();
    AKkk& drivenEffect = effectOf(*driven);
    drivenEffect.waveformCapture().reset(kColumns);
    drivenEffect.editorOpened();
    setReal(*driven, 6, 0);
    setReal(*driven, 24, 12);
    StereoBuffer input(8192);
    for (int i = 0; i < 8192; ++i)
    {
        input.left[size_t(i)] = i % 2 ? 0.1f : -0.1f;
        input.right[size_t(i)] = 0.5f * input.left[size_t(i)];
    }
    render(*driven, input, 512);
    std::array<float, CSpectrumAnalyzer::kBins> drivenPower{};
    drivenEffect.inputAnalyzer().takePeakPower(drivenPower);

    EXPECT_EQ(quiet, drivenPower);
    EXPECT_FLOAT_EQ(quietEnvelope, 0.1f);
    EXPECT_NEAR(drivenEffect.waveformCapture().value(Trace::source, kColumns - 1),
                0.1 * std::pow(10.0, 12.0 / 20.0), 1e-6);
}

TEST_F(ViewerFeeds, GiveThreeEqualEnvelopesOfTheInputInBypass)
{
    effect().editorOpened();
    setReal(13, 0);
    renderSteady(0.3f);
    for (Trace trace : {Trace::source, Trace::limited, Trace::output})
        EXPECT_EQ(newestColumn(trace), 0.3f);
}

TEST_F(ViewerFeeds, KeepTheEnvelopesStillWhilePausedButStillMeter)
{
    effect().editorOpened();
    setReal(7, 0);
    renderSteady(0.9f);
    for (Trace trace : {Trace::source, Trace::limited, Trace::output})
        EXPECT_EQ(newestColumn(trace), 0.0f);
    EXPECT_GT(effect().meters().bandLevel[2].load(), 0.0);
}

TEST_F(ViewerFeeds, CaptureTheSumBeforeAndTheOutputAfterSafeClip)
{
    effect().editorOpened();
    setReal(25, 12);
    renderSteady(0.9f);
    EXPECT_GT(newestColumn(Trace::limited), 1.0f);
    EXPECT_LE(newestColumn(Trace::output), 0.99993896484375f);
}

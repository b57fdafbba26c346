// The LV2 user interface around the editor, opened without a window: knob turns become port
// writes in real units with touch gestures, host port changes move the knobs (but the host's
// echoes of the editor's own writes do not), the editor-only settings live in the plug-in
// instance, the panel carries the true-peak ceiling and its gain reduction, and without
// instance access the panel shows no meters.
#include "editor/CeilingReductionDisplay.h"
#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "engine/Units.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CTextLabel.h"
#include "gui/MouseButtons.h"
#include "plugin/lv2/Lv2Effect.h"
#include "plugin/lv2/Lv2Ui.h"
#include "plugin/lv2/PortValue.h"
#include "tests/editor/PointerScript.h"

#include <lv2/instance-access/instance-access.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct PortWrite
{
    uint32_t port;
    float value;
};

struct Touch
{
    uint32_t port;
    bool grabbed;
};

class Lv2UiFixture : public ::testing::Test
{
  protected:
    void SetUp() override { platform::installInput(&pointer_); }
    void TearDown() override
    {
        ui_.reset();
        platform::installInput(nullptr);
    }

    // The user interface with or without instance access, its editor open without a window.
    void open(bool instanceAccess)
    {
        touchFeature_ = {this, touch};
        std::vector<const LV2_Feature*> features = {&touch_};
        if (instanceAccess)
            features.push_back(&instance_);
        features.push_back(nullptr);
        ui_ = std::make_unique<Lv2Ui>(write, this, features.data());
        ASSERT_TRUE(ui_->editor().open(nullptr));
    }
    SDEditor& editor() { return ui_->editor(); }
    void press(const CPoint& where)
    {
        CDrawContext context(editor().frame());
        editor().frame()->onMouseDown(&context, where, pointer_.mouseButtons());
    }
    void click(int index)
    {
        const CRect size = editor().control(index)->getSize();
        const CPoint inside{size.left + 3, size.top + 3};
        pointer_.then(kLButton, inside).then(0, inside);
        press(inside);
    }
    void portEvent(int index, float real)
    {
        ui_->portEvent(lv2::portOfParameter(index), sizeof(real), 0, &real);
    }
    std::vector<float> writesTo(int index) const
    {
        return writesToPort(lv2::portOfParameter(index));
    }
    std::vector<float> writesToPort(uint32_t port) const
    {
        std::vector<float> values;
        for (const PortWrite& write : writes_)
            if (write.port == port)
                values.push_back(write.value);
        return values;
    }
    void ceilingEvent(float dBTP)
    {
        ui_->portEvent(lv2::kPortTruePeakCeiling, sizeof(dBTP), 0, &dBTP);
    }
    static std::string textOf(const CParamDisplay& display)
    {
        char text[kParamDisplayTextBytes];
        display.formatValue(text);
        return text;
    }

    static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer)
    {
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(protocol, 0u);
        static_cast<Lv2UiFixture*>(controller)
            ->writes_.push_back({port, *static_cast<const float*>(buffer)});
    }
    static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        static_cast<Lv2UiFixture*>(handle)->touches_.push_back({port, grabbed});
    }

    PointerScript pointer_;
    Lv2Effect effect_{44100, nullptr};
    LV2UI_Touch touchFeature_{};
    LV2_Feature touch_{LV2_UI__touch, &touchFeature_};
    LV2_Feature instance_{LV2_INSTANCE_ACCESS_URI, &effect_};
    std::unique_ptr<Lv2Ui> ui_;
    std::vector<PortWrite> writes_;
    std::vector<Touch> touches_;
};
} // namespace

TEST_F(Lv2UiFixture, TurnsAKnobIntoPortWritesOnTheKnobsStepsInsideOneGesture)
{
    open(true);
    const CRect knob = editor().control(kParamLimiterGain)->getSize();
    const CPoint start{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 40}, 10);
    press(start);

    const std::vector<float> written = writesTo(kParamLimiterGain);
    ASSERT_FALSE(written.empty());
    const float shown = editor().control(kParamLimiterGain)->getValue();
    EXPECT_EQ(written.back(), lv2::realOfNormalized(kParamLimiterGain, shown));
    for (size_t i = 0; i < written.size(); ++i)
    {
        EXPECT_EQ(written[i] * 2.0f, float(int(written[i] * 2.0f))) << "a half-decibel step";
        if (i > 0)
        {
            EXPECT_NE(written[i], written[i - 1]) << "each step written once";
        }
    }
    const uint32_t port = lv2::portOfParameter(kParamLimiterGain);
    ASSERT_EQ(touches_.size(), 2u);
    EXPECT_EQ(touches_[0].port, port);
    EXPECT_TRUE(touches_[0].grabbed);
    EXPECT_FALSE(touches_[1].grabbed);
}

TEST_F(Lv2UiFixture, MovesTheKnobToAHostChangeAtTheNextIdle)
{
    open(true);
    portEvent(kParamCrossoverHigh, 640.0f);
    ui_->idle();
    EXPECT_EQ(editor().control(kParamCrossoverHigh)->getValue(), 0.0f);
    portEvent(kParamOutputGain, -3.0f);
    ui_->idle();
    EXPECT_FLOAT_EQ(editor().control(kParamOutputGain)->getValue(),
                    float(realToNormalized(-3.0, kParamOutputGain)));
    EXPECT_TRUE(writes_.empty()) << "a host change is not written back";
}

// The host reports the editor's own writes back, late: taken as changes they would pull
// the knob back to an earlier step.
TEST_F(Lv2UiFixture, LeavesTheKnobWhereTheUserPutItWhenTheHostEchoesItsWrites)
{
    open(true);
    const CRect knob = editor().control(kParamThresholdMid)->getSize();
    const CPoint start{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 30}, 6);
    press(start);
    const float shown = editor().control(kParamThresholdMid)->getValue();
    for (const float echo : writesTo(kParamThresholdMid))
        portEvent(kParamThresholdMid, echo);
    ui_->idle();
    EXPECT_EQ(editor().control(kParamThresholdMid)->getValue(), shown);

    // A change from elsewhere afterwards is shown.
    pointer_.setTicks(pointer_.ticks() + 2 * CPortEchoFilter::kEchoWindowMs);
    portEvent(kParamThresholdMid, writesTo(kParamThresholdMid).front());
    ui_->idle();
    EXPECT_NE(editor().control(kParamThresholdMid)->getValue(), shown);
}

TEST_F(Lv2UiFixture, KeepsTheViewerSettingsInThePlugin)
{
    open(true);
    ASSERT_TRUE(effect_.published().meterMode());
    click(kParamMeterMode);
    EXPECT_EQ(effect_.settings().value(kParamMeterMode), 0.0f);
    EXPECT_FALSE(effect_.published().meterMode());
    EXPECT_TRUE(writes_.empty()) << "the settings have no ports";
}

TEST_F(Lv2UiFixture, ShowsSettingsARestoredSessionBrings)
{
    open(true);
    effect_.settings().restore(kParamViewerSource, 0.0f);
    ui_->idle();
    EXPECT_EQ(editor().control(kParamViewerSource)->getValue(), 0.0f);
}

TEST_F(Lv2UiFixture, ResetWritesEveryPortsDefaultAndResetsTheSettings)
{
    open(true);
    effect_.settings().change(kParamViewerMode, 0.0f);
    ceilingEvent(-1.0f);
    click(kParamReset);
    EXPECT_EQ(writesToPort(lv2::kPortTruePeakCeiling), std::vector<float>{-6.5f}) << "off";
    for (int index = lv2::kFirstPortParameter; index < kNumParameters; ++index)
    {
        const std::vector<float> written = writesTo(index);
        ASSERT_EQ(written.size(), 1u) << index;
        const double defaultValue = findControlRow(index).defaultValue;
        EXPECT_NEAR(written[0], defaultValue, 0.01) << index;
    }
    EXPECT_EQ(effect_.settings().value(kParamViewerMode), 1.0f);
}

// A meter at rest would read as silence while the audio plays.
TEST_F(Lv2UiFixture, ShowsNoMetersOrViewersWithoutInstanceAccess)
{
    open(false);
    EXPECT_EQ(editor().spectrumGraph(), nullptr);
    EXPECT_EQ(editor().waveGraph(), nullptr);
    int notes = 0;
    int meters = 0;
    CFrame& frame = *editor().frame();
    for (int32_t i = 0; i < frame.childCount(); ++i)
    {
        CView* view = frame.childAt(i);
        if (view->isClass("CTextLabel") &&
            std::string(static_cast<CTextLabel*>(view)->getText()).find("No meters") == 0)
            ++notes;
        if (view->isClass("CMovieBitmap") || view->isClass("CVuMeter"))
            ++meters;
    }
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(meters, 0);
    EXPECT_EQ(editor().ceilingReduction(), nullptr);

    // The controls still work, the switches too.
    click(kParamMeterMode);
    EXPECT_EQ(editor().control(kParamMeterMode)->getValue(), 0.0f);
    ui_->idle();
    EXPECT_EQ(editor().control(kParamMeterMode)->getValue(), 0.0f);
}

// A host may show two user interfaces of one instance; each may be closed more than once (by
// the host, then on destruction). The meters and viewers go on while either is open.
TEST_F(Lv2UiFixture, FeedsTheViewersWhileAnyOfTwoInterfacesOnOneInstanceIsOpen)
{
    open(true);
    const LV2_Feature* features[] = {&instance_, nullptr};
    auto second = std::make_unique<Lv2Ui>(write, this, features);
    ASSERT_TRUE(second->editor().open(nullptr));
    editor().close();
    ui_.reset();
    EXPECT_TRUE(effect_.published().editorOpen());
    second.reset();
    EXPECT_FALSE(effect_.published().editorOpen());
}

// The ceiling's knob under PLUG-IN BYPASS writes the ceiling's own port, in dBTP on the
// ceiling's steps, inside one gesture on that port; the host's changes of the port move it.
TEST_F(Lv2UiFixture, TurnsTheCeilingKnobIntoCeilingPortWritesAndFollowsTheHost)
{
    open(true);
    CControl* knob = editor().control(kParamCeiling);
    ASSERT_NE(knob, nullptr);
    const CParamDisplay& value = *editor().valueDisplay(kParamCeiling);
    EXPECT_EQ(textOf(value), "OFF");
    const CRect size = knob->getSize();
    const CPoint start{(size.left + size.right) / 2, (size.top + size.bottom) / 2};
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 40}, 10);
    press(start);

    const std::vector<float> written = writesToPort(lv2::kPortTruePeakCeiling);
    ASSERT_FALSE(written.empty());
    EXPECT_GT(kCeilingRecord.stepOf(written.back()), 0) << "a ceiling, not off";
    for (size_t i = 0; i < written.size(); ++i)
    {
        const int step = kCeilingRecord.stepOf(written[i]);
        EXPECT_EQ(written[i], float(kCeilingRecord.decibelsOfStep(step))) << "off or on a step";
        if (i > 0)
        {
            EXPECT_GT(written[i], written[i - 1]) << "each step written once, upward";
        }
    }
    EXPECT_EQ(written.back(), float(kCeilingRecord.decibelsOfNormalized(knob->getValue())));
    char shown[kValueTextSize];
    std::snprintf(shown, sizeof shown, "%.1f dBTP", double(written.back()));
    EXPECT_EQ(textOf(value), shown);
    ASSERT_EQ(touches_.size(), 2u);
    EXPECT_EQ(touches_[0].port, uint32_t(lv2::kPortTruePeakCeiling));
    EXPECT_TRUE(touches_[0].grabbed);
    EXPECT_EQ(touches_[1].port, uint32_t(lv2::kPortTruePeakCeiling));
    EXPECT_FALSE(touches_[1].grabbed);

    writes_.clear();
    pointer_.setTicks(pointer_.ticks() + 2 * CPortEchoFilter::kEchoWindowMs);
    ceilingEvent(-1.0f);
    ui_->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), float(kCeilingRecord.normalizedOf(-1.0)));
    EXPECT_EQ(textOf(value), "-1.0 dBTP");
    EXPECT_TRUE(writes_.empty()) << "a host change is not written back";

    // A wheel notch is one step.
    CDrawContext context(editor().frame());
    editor().frame()->onWheel(&context, start, 1.0f);
    EXPECT_EQ(writesToPort(lv2::kPortTruePeakCeiling), std::vector<float>{-0.9f});
    EXPECT_EQ(textOf(value), "-0.9 dBTP");

    writes_.clear();
    pointer_.setTicks(pointer_.ticks() + 2 * CPortEchoFilter::kEchoWindowMs);
    ceilingEvent(float(kCeilingRecord.offDb));
    ui_->idle();
    EXPECT_EQ(knob->getValue(), 0.0f);
    EXPECT_EQ(textOf(value), "OFF");
    EXPECT_TRUE(writes_.empty()) << "a host change is not written back";
}

// A deeper reduction shows at the next tick; then the text falls back toward none by the
// band reduction meters' 0.9 dB a tick.
TEST_F(Lv2UiFixture, ShowsTheCeilingsGainReductionThePluginPublishes)
{
    open(true);
    const CeilingReductionDisplay* readout = editor().ceilingReduction();
    ASSERT_NE(readout, nullptr);
    editor().tick();
    EXPECT_EQ(textOf(*readout), "GR 0.0 dB");
    publishMin(effect_.published().meters().ceilingMinGain, gainFromDecibels(-2.0));
    editor().tick();
    EXPECT_EQ(textOf(*readout), "GR -2.0 dB");
    editor().tick();
    EXPECT_EQ(textOf(*readout), "GR -1.1 dB");
    editor().tick();
    editor().tick();
    EXPECT_EQ(textOf(*readout), "GR 0.0 dB");
    publishMin(effect_.published().meters().ceilingMinGain, gainFromDecibels(-18.4));
    editor().tick();
    EXPECT_EQ(textOf(*readout), "GR -18 dB") << "whole decibels from 10 dB on, to fit";
}

#include "tests/editor/EditorFixture.h"

#include "editor/CWAVGRAP.h"
#include "gui/CParamDisplay.h"
#include "gui/MouseButtons.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
std::vector<CRect> childRectangles(CFrame& frame)
{
    std::vector<CRect> sizes;
    for (int32_t i = 0; i < frame.childCount(); ++i)
        sizes.push_back(frame.childAt(i)->getSize());
    return sizes;
}

std::string displayedText(CParamDisplay& display)
{
    char text[kParamDisplayTextBytes];
    display.formatValue(text);
    return text;
}

bool sameRect(const CRect& a, const CRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST_F(HeadlessEditor, ReportsThePanelSizeOfItsBackground)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin_->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 374);
    EXPECT_EQ(rect->right, 754);
}

TEST_F(HeadlessEditor, BuildsEveryViewOfTheTableAtItsPlace)
{
    ASSERT_TRUE(open());
    EXPECT_TRUE(effect().editorOpen());
    // 24 controls, a value display under each of the 14 knobs, 2 viewers, 7 meters and the
    // information button.
    EXPECT_EQ(frame()->childCount(), 24 + 14 + 2 + 7 + 1);
    const CRect threshold = editor().control(14)->getSize();
    EXPECT_TRUE(sameRect(threshold, CRect{64, 196, 97, 229}));
    const CRect display = editor().valueDisplay(14)->getSize();
    EXPECT_TRUE(sameRect(display, CRect{62, 230, 99, 242}));
    EXPECT_TRUE(sameRect(editor().control(24)->getSize(), CRect{258, 189, 339, 270}));
    EXPECT_TRUE(sameRect(editor().control(12)->getSize(), CRect{489, 314, 510, 334}));
    EXPECT_TRUE(sameRect(editor().control(26)->getSize(), CRect{357, 299, 434, 329}));
    EXPECT_EQ(editor().control(0), nullptr);
    EXPECT_EQ(editor().control(kParamCeiling), nullptr) << "the VST 2.4 edition has no ceiling";
    EXPECT_NE(editor().spectrumGraph(), nullptr);
    EXPECT_NE(editor().waveGraph(), nullptr);
    const CRect information = frame()->childAt(frame()->childCount() - 1)->getSize();
    EXPECT_TRUE(sameRect(information, CRect{661, 355, 722, 371}));
}

TEST_F(HeadlessEditor, RebuildsTheSameViewsWithTheCurrentValuesAndANewTimer)
{
    ASSERT_TRUE(open());
    const std::vector<CRect> first = childRectangles(*frame());
    const uint32_t firstTimer = editor().timerId();
    close();
    EXPECT_FALSE(effect().editorOpen());
    EXPECT_EQ(frame(), nullptr);

    plugin_->setParameter(14, 0.25f); // while closed: nothing in the editor changes
    ASSERT_TRUE(open());
    const std::vector<CRect> second = childRectangles(*frame());
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(sameRect(first[i], second[i])) << i;
    EXPECT_EQ(editor().timerId(), firstTimer + 1);
    EXPECT_FLOAT_EQ(editor().control(14)->getValue(), 0.25f);
    EXPECT_EQ(displayedText(*editor().valueDisplay(14)), "-9.0dB");
}

TEST_F(HeadlessEditor, ShowsHostChangesAtTheNextIdleOnItsOwnThread)
{
    ASSERT_TRUE(open());
    plugin_->setParameter(21, 0.0f);
    EXPECT_NE(editor().control(21)->getValue(), 0.0f) << "recorded, not yet shown";
    idle();
    EXPECT_EQ(editor().control(21)->getValue(), 0.0f);
    EXPECT_EQ(displayedText(*editor().valueDisplay(21)), "640Hz");
}

TEST_F(HeadlessEditor, TurnsAKnobIntoAnAutomatedChangeShownAtOnce)
{
    ASSERT_TRUE(open());
    plugin_->dispatch(effSetEditKnobMode, 0, 2); // linear: vertical drags
    const CRect knob = editor().control(17)->getSize();
    const CPoint start{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 60}, 12);
    host_.clearCalls();
    press(start);

    const float value = editor().control(17)->getValue();
    EXPECT_GT(value, 0.5f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(17), value);
    int automations = 0;
    for (const HostCall& call : host_.calls())
        if (call.opcode == audioMasterAutomate && call.index == 17)
            ++automations;
    EXPECT_GT(automations, 0);
    EXPECT_EQ(host_.count(audioMasterBeginEdit), 1);
    EXPECT_EQ(host_.count(audioMasterEndEdit), 1);
    char expected[kValueTextSize];
    formatDecibels(float(normalizedToReal(value, 17)), expected);
    EXPECT_EQ(displayedText(*editor().valueDisplay(17)), expected);
}

TEST_F(HeadlessEditor, ResetsEveryParameterWhileResetIsHeld)
{
    ASSERT_TRUE(open());
    plugin_->setParameter(14, 0.9f);
    plugin_->setParameter(22, 0.9f);
    idle();
    const CRect reset = editor().control(12)->getSize();
    const CPoint inside{reset.left + 5, reset.top + 5};
    pointer_.then(kLButton, inside).then(kLButton, inside).then(kLButton, inside);
    press(inside);
    EXPECT_FLOAT_EQ(plugin_->getParameter(14), 0.5f);
    EXPECT_FLOAT_EQ(editor().control(14)->getValue(), 0.5f);
    EXPECT_EQ(displayedText(*editor().valueDisplay(22)), "1.71ms");
    EXPECT_EQ(plugin_->getParameter(12), 0.0f);
}

TEST_F(HeadlessEditor, GivesTheWaveformViewerTheViewerTime)
{
    ASSERT_TRUE(open());
    setReal(4, 200);
    idle();
    EXPECT_NEAR(editor().waveGraph()->time(), 200.0f, 0.01f);
    EXPECT_NEAR(effect().waveformCapture().time(), 200.0f, 0.01f);
    setReal(5, 0.125);
    idle();
    EXPECT_NEAR(editor().waveGraph()->level(), 0.125f, 1e-5f);
}

TEST_F(HeadlessEditor, ForwardsKeysOnlyWhileOpen)
{
    EXPECT_EQ(plugin_->dispatch(effEditKeyDown, 0, 2, nullptr, 0.0f), 0);
    ASSERT_TRUE(open());
    plugin_->dispatch(effEditKeyDown, 0, 2, nullptr, 0.0f); // Tab moves the focus
    close();
    EXPECT_EQ(plugin_->dispatch(effEditKeyDown, 0, 2, nullptr, 0.0f), 0);
}

TEST_F(HeadlessEditor, ClosesItselfWhenTheEffectIsDestroyedOpen)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(plugin_->close(), 1); // the sanitizer build checks that nothing leaks or dangles
}

TEST_F(HeadlessEditor, AsksTheHostToSizeItsWindowOnlyWhenTheHostSaysItCan)
{
    ASSERT_TRUE(open());
    host_.clearCalls();
    ASSERT_TRUE(frame()->resize(800, 400));
    EXPECT_EQ(host_.count(audioMasterCanDo), 1);
    EXPECT_EQ(host_.calls().back().text, "sizeWindow");
    EXPECT_EQ(host_.count(audioMasterSizeWindow), 0);

    // Any non-zero answer counts as yes, the published "no" (-1) included.
    host_.setAnswer(audioMasterCanDo, -1);
    host_.clearCalls();
    ASSERT_TRUE(frame()->resize(760, 380));
    ASSERT_EQ(host_.count(audioMasterSizeWindow), 1);
    const HostCall call = host_.calls().back();
    EXPECT_EQ(call.opcode, audioMasterSizeWindow);
    EXPECT_EQ(call.index, 760);
    EXPECT_EQ(call.value, 380);
    EXPECT_TRUE(sameRect(frame()->getSize(), CRect{0, 0, 760, 380}));
}

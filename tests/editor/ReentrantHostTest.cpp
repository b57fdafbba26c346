// Hosts that pump their own user interface inside the plug-in's calls can close the editor
// there, or the effect itself, while a control is still on the stack tracking the mouse. The
// editor must survive it, end the gesture, and open again afterwards; a closed effect ends
// the gesture for the host at once and goes when the plug-in's code has left the stack.
#include "tests/editor/EditorFixture.h"

#include "gui/CControl.h"
#include "gui/MouseButtons.h"

namespace
{
class ReentrantHost : public HeadlessEditor
{
  protected:
    // The host answers the given call by closing the editor, once.
    void closeEditorOn(VstInt32 opcode)
    {
        host_.setReaction(opcode,
                          [this](AEffect*)
                          {
                              if (!closedByHost_)
                              {
                                  closedByHost_ = true;
                                  close();
                              }
                          });
    }
    CPoint centreOf(int index)
    {
        const CRect size = editor().control(index)->getSize();
        return {(size.left + size.right) / 2, (size.top + size.bottom) / 2};
    }
    // Gestures are bracketed for the host even when the editor goes in the middle.
    void expectBalancedEdits()
    {
        EXPECT_EQ(host_.count(audioMasterBeginEdit), host_.count(audioMasterEndEdit));
    }
    void expectOpensAgainAndTakesADrag()
    {
        idle();
        host_.setReaction(audioMasterIdle, nullptr);
        ASSERT_TRUE(open());
        const CPoint start = centreOf(17);
        pointer_.clear();
        pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 40}, 8);
        const float before = editor().control(17)->getValue();
        press(start);
        EXPECT_NE(editor().control(17)->getValue(), before);
        close();
    }

    bool closedByHost_ = false;
};
} // namespace

TEST_F(ReentrantHost, SurvivesAnEditorClosedOnIdleDuringAKnobDrag)
{
    ASSERT_TRUE(open());
    plugin_->dispatch(effSetEditKnobMode, 0, 2);
    const CPoint start = centreOf(17);
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 200}, 60);
    closeEditorOn(audioMasterIdle);
    press(start);

    EXPECT_TRUE(closedByHost_);
    EXPECT_EQ(frame(), nullptr);
    EXPECT_FALSE(effect().editorOpen());
    // The drag ended with the close instead of playing the rest of the pointer's script.
    EXPECT_FALSE(pointer_.finished());
    expectBalancedEdits();
    expectOpensAgainAndTakesADrag();
}

TEST_F(ReentrantHost, SurvivesAnEditorClosedOnIdleDuringAButtonPress)
{
    ASSERT_TRUE(open());
    const CPoint inside = centreOf(26);
    const float before = plugin_->getParameter(26);
    pointer_.then(kLButton, inside).then(kLButton, inside);
    closeEditorOn(audioMasterIdle);
    press(inside);

    EXPECT_TRUE(closedByHost_);
    EXPECT_EQ(frame(), nullptr);
    // The press still counts: the switch toggled and the host was told.
    EXPECT_NE(plugin_->getParameter(26), before);
    expectBalancedEdits();
    expectOpensAgainAndTakesADrag();
}

TEST_F(ReentrantHost, SurvivesAnEditorClosedWhileReportingTheChangeOfAHeldResetButton)
{
    ASSERT_TRUE(open());
    const CPoint inside = centreOf(12);
    pointer_.then(kLButton, inside).then(kLButton, inside).then(kLButton, inside);
    closeEditorOn(audioMasterAutomate);
    press(inside);

    EXPECT_TRUE(closedByHost_);
    EXPECT_EQ(frame(), nullptr);
    expectBalancedEdits();
    expectOpensAgainAndTakesADrag();
}

TEST_F(ReentrantHost, SurvivesAnEditorClosedOnBeginEditOfAWheelTurn)
{
    ASSERT_TRUE(open());
    pointer_.then(0, centreOf(17));
    closeEditorOn(audioMasterBeginEdit);
    {
        CDrawContext context(frame());
        frame()->onWheel(&context, centreOf(17), 1.0f);
    }

    EXPECT_TRUE(closedByHost_);
    EXPECT_EQ(frame(), nullptr);
    expectOpensAgainAndTakesADrag();
}

namespace
{
class HostClosingTheEffect : public ReentrantHost
{
  protected:
    // The host answers the given call by closing the effect, once, and notes how many calls
    // it had seen by the time the close returned.
    void closeEffectOn(VstInt32 opcode)
    {
        host_.setReaction(opcode,
                          [this](AEffect*)
                          {
                              if (callsAtClose_ < 0)
                              {
                                  plugin_->close();
                                  callsAtClose_ = int(host_.calls().size());
                              }
                          });
    }
    // After the close the host hears nothing more, and every gesture it heard of ended.
    void expectTheHostHeardNothingAfterTheClose()
    {
        ASSERT_GE(callsAtClose_, 0);
        EXPECT_EQ(int(host_.calls().size()), callsAtClose_);
        expectBalancedEdits();
    }

    int callsAtClose_ = -1;
};

class HostClosingTheEffectDuringADrag : public HostClosingTheEffect,
                                        public ::testing::WithParamInterface<VstInt32>
{
};
} // namespace

TEST_P(HostClosingTheEffectDuringADrag, EndsTheDragAtOnce)
{
    ASSERT_TRUE(open());
    plugin_->dispatch(effSetEditKnobMode, 0, 2);
    const CPoint start = centreOf(17);
    pointer_.then(kLButton, start).glide(kLButton, CPoint{start.h, start.v - 200}, 60);
    closeEffectOn(GetParam());
    press(start);

    EXPECT_FALSE(pointer_.finished());
    expectTheHostHeardNothingAfterTheClose();
}

INSTANTIATE_TEST_SUITE_P(OnEachCallOfTheDrag, HostClosingTheEffectDuringADrag,
                         ::testing::Values(audioMasterBeginEdit, audioMasterAutomate,
                                           audioMasterIdle),
                         [](const ::testing::TestParamInfo<VstInt32>& call) -> std::string
                         {
                             return call.param == audioMasterBeginEdit  ? "BeginEdit"
                                    : call.param == audioMasterAutomate ? "Automate"
                                                                        : "Idle";
                         });

TEST_F(HostClosingTheEffect, SurvivesACloseWhileReportingAKeyStep)
{
    ASSERT_TRUE(open());
    {
        // A wheel turn gives the knob the keyboard focus.
        CDrawContext context(frame());
        frame()->onWheel(&context, centreOf(17), 1.0f);
    }
    closeEffectOn(audioMasterAutomate);
    // The key was taken: its step had reached the host when the host closed the effect.
    EXPECT_EQ(plugin_->dispatch(effEditKeyDown, 0, VKEY_UP), 1);
    expectTheHostHeardNothingAfterTheClose();
}

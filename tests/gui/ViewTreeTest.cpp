// The view tree: ownership by reference counts, drawing and the dirty rules, and how the
// frame routes presses, keys, the wheel and the focus.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CDrawContext.h"
#include "gui/MouseButtons.h"

namespace
{
// A view that paints its whole size in one colour and notes what happens to it.
class PaintView : public CView
{
  public:
    PaintView(const CRect& size, uint32_t pixel, int* destroyed = nullptr)
        : CView(size), colour_(colourOfPixel(pixel)), destroyed_(destroyed)
    {
    }
    ~PaintView() override
    {
        if (destroyed_ != nullptr)
        {
            ++*destroyed_;
        }
    }

    void setColour(uint32_t pixel)
    {
        colour_ = colourOfPixel(pixel);
        setDirty(true);
    }
    void draw(CDrawContext* context) override
    {
        ++draws;
        context->setFillColor(colour_);
        context->fillRect({size_.left - 1, size_.top - 1, size_.right, size_.bottom});
        setDirty(false);
    }
    void onMouseDown(CDrawContext*, CPoint where, int32_t buttons) override
    {
        ++presses;
        lastPress = where;
        lastButtons = buttons;
    }
    bool onWheel(CDrawContext*, CPoint, float distance) override
    {
        wheel += distance;
        return true;
    }
    void focusLost(CDrawContext*) override { ++focusLosses; }

    int draws = 0;
    int presses = 0;
    int focusLosses = 0;
    float wheel = 0.0f;
    CPoint lastPress;
    int32_t lastButtons = 0;

  private:
    CColor colour_;
    int* destroyed_;
};

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

class ViewTree : public ::testing::Test, public HeadlessFrameFixture
{
  protected:
    PaintView* add(const CRect& size, uint32_t pixel, int* destroyed = nullptr)
    {
        auto* view = new PaintView(size, pixel, destroyed);
        frame->addChild(view);
        return view;
    }
};
} // namespace

TEST_F(ViewTree, AViewHandedToTheFrameIsDestroyedExactlyOnceWithIt)
{
    int destroyed = 0;
    PaintView* view = add({0, 0, 10, 10}, kRed, &destroyed);
    EXPECT_EQ(view->getNbReference(), 2);
    EXPECT_EQ(view->getFrame(), frame);
    frame->release();
    frame = new CFrame({0, 0, 10, 10}, nullptr, nullptr);
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ViewTree, RemovalWithoutReleaseLeavesTheCreatorsReference)
{
    int destroyed = 0;
    PaintView* kept = add({0, 0, 10, 10}, kRed, &destroyed);
    PaintView* dropped = add({10, 0, 20, 10}, kRed, &destroyed);
    EXPECT_TRUE(frame->removeChild(kept, false));
    EXPECT_TRUE(frame->removeChild(dropped, true));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(kept->getNbReference(), 1);
    EXPECT_EQ(kept->getFrame(), nullptr);
    EXPECT_FALSE(frame->removeChild(kept, true));
    kept->release();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(ViewTree, RefusesNullTheFrameItselfAndViewsAlreadyInAContainer)
{
    PaintView* view = add({0, 0, 10, 10}, kRed);
    EXPECT_FALSE(frame->addChild(view));
    EXPECT_FALSE(frame->addChild(nullptr));
    EXPECT_FALSE(frame->addChild(frame));
    EXPECT_EQ(frame->childCount(), 1);
    EXPECT_EQ(frame->childAt(0), view);
    EXPECT_EQ(frame->childAt(1), nullptr);
    EXPECT_EQ(frame->childAt(-1), nullptr);
}

TEST_F(ViewTree, ThePressInAnOverlapGoesToTheLaterChildWhichAlsoPaintsOnTop)
{
    PaintView* first = add({10, 10, 50, 50}, kRed);
    PaintView* second = add({30, 30, 70, 70}, kGreen);
    paint();
    const PixelImage image = windowPixels();
    EXPECT_EQ(image.at(40, 40), kGreen);
    EXPECT_EQ(image.at(20, 20), kRed);

    press({40, 40}, kLButton);
    EXPECT_EQ(second->presses, 1);
    EXPECT_EQ(first->presses, 0);
    press({20, 20}, kLButton);
    EXPECT_EQ(first->presses, 1);
    press({90, 90}, kLButton);
    EXPECT_EQ(first->presses + second->presses, 2);
}

TEST_F(ViewTree, MouseAreasIncludeTheirEdgesAndDisabledViewsLetPressesThrough)
{
    PaintView* below = add({10, 10, 50, 50}, kRed);
    PaintView* above = add({10, 10, 50, 50}, kGreen);
    press({50, 50}, kLButton);
    EXPECT_EQ(above->presses, 1);
    above->enableMouse(false);
    press({30, 30}, kLButton);
    EXPECT_EQ(below->presses, 1);
    EXPECT_EQ(below->lastPress, (CPoint{30, 30}));
}

TEST_F(ViewTree, APressReadsTheButtonsWhenGivenMinusOne)
{
    PaintView* view = add({0, 0, 50, 50}, kRed);
    input.then(kLButton | kShift, {5, 5});
    press({5, 5});
    EXPECT_EQ(view->lastButtons, kLButton | kShift);
}

TEST_F(ViewTree, IdleDrawsNothingBeforeTheFirstPaintAndThenOnlyWhatIsDirty)
{
    PaintView* a = add({0, 0, 20, 20}, kRed);
    PaintView* b = add({20, 0, 40, 20}, kRed);
    frame->idle();
    EXPECT_EQ(a->draws, 0);
    paint();
    EXPECT_EQ(a->draws, 1);
    frame->idle();
    EXPECT_EQ(a->draws, 1);

    b->setColour(kBlue);
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(windowPixels().at(30, 10), kBlue);
    EXPECT_FALSE(frame->isDirty());
}

TEST_F(ViewTree, AViewHalfInsideAPartialUpdateIsCompletedAtTheNextIdle)
{
    PaintView* view = add({20, 20, 60, 60}, kRed);
    paint();
    view->setColour(kGreen);
    frame->drawPart(nullptr, {0, 0, 40, 100});
    PixelImage image = windowPixels();
    EXPECT_EQ(image.at(30, 30), kGreen);
    EXPECT_EQ(image.at(50, 30), kRed);
    EXPECT_TRUE(view->isDirty());

    frame->idle();
    image = windowPixels();
    EXPECT_EQ(image.at(50, 30), kGreen);
    EXPECT_FALSE(view->isDirty());
}

TEST_F(ViewTree, APartialUpdateTouchesNoPixelOutsideItsArea)
{
    add({0, 0, 200, 100}, kRed);
    paint();
    frame->setPanelColor({0, 0, 255, 255});
    frame->removeChild(frame->childAt(0));
    frame->drawPart(nullptr, {10, 10, 20, 20});
    const PixelImage image = windowPixels();
    EXPECT_EQ(inkBounds(image, kRed), (CRect{10, 10, 20, 20}));
}

TEST_F(ViewTree, DrawViewShowsOneViewAtOnceWithoutDrawingTheOthers)
{
    PaintView* a = add({0, 0, 20, 20}, kRed);
    PaintView* b = add({20, 0, 40, 20}, kRed);
    paint();
    b->setColour(kGreen);
    frame->drawView(b);
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(windowPixels().at(30, 10), kGreen);
    EXPECT_FALSE(b->isDirty());
}

TEST_F(ViewTree, AResizedFrameDrawsItsWholeNewSize)
{
    frame->setPanelColor(colourOfPixel(kBlue));
    add({10, 10, 20, 20}, kRed);
    paint();
    EXPECT_FALSE(frame->resize(200, 100));
    EXPECT_FALSE(frame->resize(0, 100));
    EXPECT_FALSE(frame->resize(260, 9000));
    ASSERT_TRUE(frame->resize(260, 130));

    // Both off-screen contexts, the container's and the single-view one, follow the size.
    paint();
    PixelImage shown = windowPixels();
    ASSERT_EQ(shown.width, 260);
    EXPECT_EQ(shown.at(259, 129), kBlue);
    EXPECT_EQ(shown.at(15, 15), kRed);
    PaintView* outside = add({220, 100, 240, 120}, kGreen);
    frame->drawView(outside);
    EXPECT_EQ(windowPixels().at(230, 110), kGreen);
}

TEST_F(ViewTree, InvalidateMarksTheChildrenItTouches)
{
    PaintView* a = add({0, 0, 20, 20}, kRed);
    PaintView* b = add({50, 0, 70, 20}, kRed);
    paint();
    frame->invalidate({10, 10, 30, 30});
    EXPECT_TRUE(a->isDirty());
    EXPECT_FALSE(b->isDirty());
}

TEST_F(ViewTree, TabMovesTheFocusInAddingOrderAndShiftTabBackwards)
{
    add({0, 0, 10, 10}, kRed);
    PaintView* first = add({10, 0, 20, 10}, kRed);
    PaintView* second = add({20, 0, 30, 10}, kRed);
    first->setAcceptsFocus(true);
    second->setAcceptsFocus(true);
    const CKeyCode tab{0, kVirtualKeyTab, 0};
    const CKeyCode shiftTab{0, kVirtualKeyTab, kModifierShift};

    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), first);
    frame->onKeyDown(tab);
    EXPECT_EQ(frame->getFocusView(), second);
    EXPECT_EQ(first->focusLosses, 1);

    frame->setFocusView(nullptr);
    frame->onKeyDown(shiftTab);
    EXPECT_EQ(frame->getFocusView(), second);
    frame->onKeyDown(shiftTab);
    EXPECT_EQ(frame->getFocusView(), first);

    EXPECT_EQ(frame->onKeyDown(CKeyCode{'a', 0, 0}), -1);
}

TEST_F(ViewTree, AClickAnywhereEndsTheKeyboardFocus)
{
    PaintView* focused = add({0, 0, 10, 10}, kRed);
    focused->setAcceptsFocus(true);
    frame->setFocusView(focused);
    paint();
    press({150, 80}, kLButton);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(focused->focusLosses, 1);
    EXPECT_TRUE(focused->isDirty());
}

TEST_F(ViewTree, RemovingTheFocusViewClearsTheFocusBeforeTheViewGoes)
{
    int destroyed = 0;
    PaintView* focused = add({0, 0, 10, 10}, kRed, &destroyed);
    frame->setFocusView(focused);
    frame->removeChild(focused, true);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(ViewTree, TheWheelGoesToTheTopmostChildUnderThePoint)
{
    PaintView* below = add({0, 0, 50, 50}, kRed);
    PaintView* above = add({25, 25, 75, 75}, kRed);
    EXPECT_TRUE(frame->onWheel(nullptr, {30, 30}, 2.0f));
    EXPECT_EQ(above->wheel, 2.0f);
    EXPECT_EQ(below->wheel, 0.0f);
    EXPECT_FALSE(frame->onWheel(nullptr, {150, 90}, 1.0f));
}

TEST_F(ViewTree, AModalViewAloneReceivesPresses)
{
    PaintView* modal = add({0, 0, 100, 100}, kRed);
    PaintView* onTop = add({50, 50, 60, 60}, kRed);
    EXPECT_TRUE(frame->setModalView(modal));
    EXPECT_FALSE(frame->setModalView(onTop));
    press({55, 55}, kLButton);
    EXPECT_EQ(modal->presses, 1);
    EXPECT_EQ(onTop->presses, 0);
    press({150, 50}, kLButton);
    EXPECT_EQ(modal->presses, 1);
    frame->removeChild(modal);
    EXPECT_EQ(frame->getModalView(), nullptr);
}

TEST_F(ViewTree, ANestedContainerPlacesAndRedrawsItsChildren)
{
    auto* group = new CViewContainer({100, 50, 150, 90}, nullptr);
    group->setPanelColor({0, 0, 255, 255});
    auto* inner = new PaintView({10, 10, 20, 20}, kRed);
    group->addChild(inner);
    frame->addChild(group);
    EXPECT_EQ(inner->getFrame(), frame);
    paint();
    PixelImage image = windowPixels();
    EXPECT_EQ(image.at(115, 65), kRed);
    EXPECT_EQ(image.at(105, 55), kBlue);
    EXPECT_EQ(inkBounds(image, 0), (CRect{100, 50, 150, 90}));

    inner->setColour(kGreen);
    EXPECT_TRUE(group->isDirty());
    frame->idle();
    image = windowPixels();
    EXPECT_EQ(image.at(115, 65), kGreen);
    EXPECT_EQ(group->viewAt({15, 15}), inner);
    EXPECT_EQ(frame->viewAt({115, 65}, true), inner);
    EXPECT_EQ(frame->viewAt({115, 65}, false), group);
}

TEST_F(ViewTree, AContainerDrawingStraightIntoItsParentPlacesAndClipsItsChildren)
{
    auto* group = new CViewContainer({100, 50, 150, 90}, nullptr);
    group->setOffscreen(false);
    group->setPanelColor({0, 0, 255, 255});
    // Partly outside the group: only the part inside may show.
    auto* inner = new PaintView({40, 30, 80, 60}, kRed);
    group->addChild(inner);
    frame->addChild(group);
    paint();
    const PixelImage image = windowPixels();
    EXPECT_EQ(inkBounds(image, 0), (CRect{100, 50, 150, 90}));
    EXPECT_EQ(image.at(145, 85), kRed);
    EXPECT_EQ(image.at(135, 75), kBlue);

    inner->setColour(kGreen);
    group->setUpdateMode(0);
    frame->idle();
    EXPECT_EQ(windowPixels().at(145, 85), kGreen);
    EXPECT_FALSE(frame->isDirty());
}

TEST_F(ViewTree, ContainersAnswerTheirClassAndTheContainerMessage)
{
    PaintView* leaf = add({0, 0, 10, 10}, kRed);
    EXPECT_TRUE(frame->isClass("CViewContainer"));
    EXPECT_TRUE(frame->isClass("CView"));
    EXPECT_FALSE(leaf->isClass("CViewContainer"));
    EXPECT_EQ(frame->message(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(leaf->message(nullptr, kMsgCheckIfViewContainer), 0);
}

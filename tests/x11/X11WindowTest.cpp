// The frame's X11 window: a child of the host's window that paints, passes input on,
// ticks the editor, survives its host window and leaves nothing behind.
// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdlib>
#include <string>

#include "gui/MouseButtons.h"
#include "gui/PixelImage.h"
#include "gui/platform/ScriptedInput.h"
#include "tests/x11/X11Fixture.h"

namespace
{
constexpr CColor kGreen{0, 255, 0, 255};

// Sets an environment variable for one scope.
class ScopedEnvironment
{
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        const char* previous = std::getenv(name);
        hadValue_ = previous != nullptr;
        previous_ = hadValue_ ? previous : "";
        if (value != nullptr)
        {
            setenv(name, value, 1);
        }
        else
        {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (hadValue_)
        {
            setenv(name_, previous_.c_str(), 1);
        }
        else
        {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::string previous_;
    bool hadValue_ = false;
};
} // namespace

class X11WindowTest : public X11Fixture
{
  protected:
    // Once its window or connection is gone, the frame draws nothing and takes no input,
    // and closing it closes its display connection once.
    void expectLostAndClosedOnce(int closedBefore)
    {
        ASSERT_TRUE(pumpUntil([&] { return !frame_->isOpen(); }));
        EXPECT_TRUE(window()->lost());
        EXPECT_EQ(window()->createDevice(), nullptr);
        frame_->drawView(view_);
        window()->show(kFrameSize);
        closeFrame();
        EXPECT_EQ(closedDisplays() - closedBefore, 1);
    }
};

TEST_F(X11WindowTest, IsAChildOfTheHostWindowWithTheFramesSize)
{
    openFrame(host_);
    ASSERT_NE(window(), nullptr);
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display_, window()->window(), &attributes), 0);
    EXPECT_EQ(attributes.width, kFrameSize.width());
    EXPECT_EQ(attributes.height, kFrameSize.height());
    EXPECT_EQ(hostChildren(), 1);
    EXPECT_EQ(frame_->getWindow()->handle(), reinterpret_cast<void*>(window()->window()));
}

TEST_F(X11WindowTest, RefusesAParentThatIsNotAWindowOrAMissingDisplay)
{
    const int openedBefore = openedDisplays();
    const int closedBefore = closedDisplays();
    // An identifier in the server's own range, which no client can have created.
    openFrame(0x1FFFFF);
    EXPECT_EQ(frame_->getWindow(), nullptr);
    closeFrame();
    {
        ScopedEnvironment noServer("DISPLAY", ":4242");
        openFrame(host_);
        EXPECT_EQ(frame_->getWindow(), nullptr);
        closeFrame();
    }
    {
        ScopedEnvironment noDisplay("DISPLAY", nullptr);
        openFrame(host_);
        EXPECT_EQ(frame_->getWindow(), nullptr);
        closeFrame();
    }
    EXPECT_EQ(openedDisplays() - openedBefore, closedDisplays() - closedBefore);
    EXPECT_EQ(hostChildren(), 0);
}

TEST_F(X11WindowTest, PaintsTheWholeFrameAtItsFirstExposure)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    // Pixels are copied, never mixed: exact values.
    EXPECT_EQ(pixelAt(kViewSize.left, kViewSize.top), pixelOf(kRed));
    EXPECT_EQ(pixelAt(kViewSize.right - 1, kViewSize.bottom - 1), pixelOf(kRed));
    EXPECT_EQ(pixelAt(kViewSize.right, kViewSize.bottom), pixelOf(kPanel));
    EXPECT_EQ(pixelAt(kFrameSize.right - 1, kFrameSize.bottom - 1), pixelOf(kPanel));
}

TEST_F(X11WindowTest, ShowsARedrawnViewWithoutWaitingForAnExposure)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    view_->setColour(kGreen);
    frame_->drawView(view_);
    XSync(display_, False);
    EXPECT_EQ(pixelAt(kViewSize.left + 1, kViewSize.top + 1), pixelOf(kGreen));
    EXPECT_EQ(pixelAt(kViewSize.right, kViewSize.top), pixelOf(kPanel));
}

TEST_F(X11WindowTest, RepaintsAnExposedAreaFromWhatWasDrawnLast)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    view_->setColour(kGreen);
    frame_->drawView(view_);
    // Unmapping and mapping again loses the window's contents and exposes all of it.
    XUnmapWindow(display_, window()->window());
    XMapWindow(display_, window()->window());
    const int x = kViewSize.left + 5;
    const int y = kViewSize.top + 5;
    EXPECT_TRUE(pumpUntil([&] { return pixelAt(x, y) == pixelOf(kGreen); }));
}

TEST_F(X11WindowTest, HandsPressesToTheViewUnderThemWithTheirButtonWord)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    sendButton(Button1, ShiftMask, 30, 20);
    sendButton(Button3, ControlMask | Mod1Mask, 40, 45);
    sendButton(Button2, 0, 150, 80); // outside the view
    ASSERT_TRUE(pumpUntil([&] { return view_->presses.size() == 2; }));
    EXPECT_EQ(view_->presses[0].where, (CPoint{30, 20}));
    EXPECT_EQ(view_->presses[0].buttons, kLButton | kShift);
    EXPECT_EQ(view_->presses[1].where, (CPoint{40, 45}));
    EXPECT_EQ(view_->presses[1].buttons, kRButton | kControl | kAlt);
    pumpUntil([] { return false; });
    EXPECT_EQ(view_->presses.size(), 2u);
}

TEST_F(X11WindowTest, TurnsEachWheelButtonIntoOneNotchOnTheVerticalAxis)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    sendButton(Button4, 0, 25, 15);
    sendButton(Button5, 0, 25, 15);
    sendButton(Button5, 0, 25, 15);
    ASSERT_TRUE(pumpUntil([&] { return view_->wheels.size() == 3; }));
    EXPECT_EQ(view_->wheels[0].where, (CPoint{25, 15}));
    EXPECT_EQ(view_->wheels[0].axis, kMouseWheelAxisY);
    EXPECT_EQ(view_->wheels[0].distance, 1.0f);
    EXPECT_EQ(view_->wheels[1].distance, -1.0f);
    EXPECT_EQ(view_->wheels[2].distance, -1.0f);
    EXPECT_TRUE(view_->presses.empty());
}

TEST_F(X11WindowTest, HandsKeysToTheFocusView)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    frame_->setFocusView(view_);
    sendKey(KeyPress, XK_Left, 0);
    sendKey(KeyPress, XK_a, 0);
    sendKey(KeyRelease, XK_a, 0);
    ASSERT_TRUE(
        pumpUntil([&] { return view_->keysDown.size() == 2 && view_->keysUp.size() == 1; }));
    EXPECT_EQ(view_->keysDown[0].virt, kVirtualKeyLeft);
    EXPECT_EQ(view_->keysDown[1].character, 'a');
    EXPECT_EQ(view_->keysDown[1].virt, 0);
    EXPECT_EQ(view_->keysUp[0].character, 'a');
}

TEST_F(X11WindowTest, TicksTheEditorOnceEvery25MillisecondsOfPolling)
{
    ScriptedInput clock;
    clock.setTicks(1000);
    platform::installInput(&clock);
    openFrame(host_);
    ASSERT_NE(window(), nullptr);
    const auto ticksAt = [&](uint32_t now)
    {
        clock.setTicks(now);
        window()->pollEvents();
        return owner_.ticks;
    };
    EXPECT_EQ(ticksAt(1024), 0);
    EXPECT_EQ(ticksAt(1025), 1);
    EXPECT_EQ(ticksAt(1049), 1);
    EXPECT_EQ(ticksAt(1050), 2);
    EXPECT_EQ(ticksAt(1200), 3); // a late poll ticks once, not once per missed period
    platform::installInput(nullptr);
}

TEST_F(X11WindowTest, ResizesItsWindowAndPaintsTheWholeNewSize)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    ASSERT_TRUE(frame_->resize(300, 150));
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display_, window()->window(), &attributes), 0);
    EXPECT_EQ(attributes.width, 300);
    EXPECT_EQ(attributes.height, 150);
    // The exposure of the grown window draws the frame into the new back buffer.
    EXPECT_TRUE(pumpUntil([&] { return pixelAt(299, 149) == pixelOf(kPanel); }));
    EXPECT_EQ(pixelAt(kViewSize.left, kViewSize.top), pixelOf(kRed));
    // The host's window is the host's to resize.
    ASSERT_NE(XGetWindowAttributes(display_, host_, &attributes), 0);
    EXPECT_EQ(attributes.width, 400);
    EXPECT_FALSE(frame_->resize(300, 150));
}

TEST_F(X11WindowTest, PositionAndOuterSizeAreThoseOfTheWindowAroundTheFrame)
{
    // A host panel a little larger than the frame, inside the much larger host window: the
    // panel is the editor's outer window.
    const Window panel = XCreateSimpleWindow(display_, host_, 10, 20, 210, 110, 0, 0, 0);
    XMapWindow(display_, panel);
    XSync(display_, False);
    openFrame(panel);
    ASSERT_NE(window(), nullptr);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame_->getPosition(x, y));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    CRect outer;
    ASSERT_TRUE(frame_->getOuterSize(outer));
    EXPECT_EQ(outer, (CRect{10, 20, 220, 130}));

    XDestroyWindow(display_, panel);
    ASSERT_TRUE(pumpUntil([&] { return !frame_->isOpen(); }));
    EXPECT_FALSE(frame_->getPosition(x, y));
    EXPECT_FALSE(frame_->getOuterSize(outer));
    EXPECT_FALSE(frame_->resize(300, 150));
}

TEST_F(X11WindowTest, ClosesTheFrameWhenTheHostWindowIsDestroyed)
{
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    const int closedBefore = closedDisplays();
    XDestroyWindow(display_, host_);
    host_ = 0;
    expectLostAndClosedOnce(closedBefore);
}

TEST_F(X11WindowTest, OutlivesTheServerEndingItsConnectionAndOpensAgain)
{
    HostLossHandler hostHandler;
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    const int closedBefore = closedDisplays();
    endEditorConnection();
    expectLostAndClosedOnce(closedBefore);
    EXPECT_EQ(hostHandler.losses(), 0);
    // The host's connection still works, and a new editor paints.
    EXPECT_EQ(hostChildren(), 0);
    openFrame(host_);
    EXPECT_TRUE(pumpUntilPainted());
}

TEST_F(X11WindowTest, OpensAndClosesAHundredTimesLeavingNoConnectionOrWindow)
{
    const int openedBefore = openedDisplays();
    const int closedBefore = closedDisplays();
    for (int i = 0; i < 100; ++i)
    {
        openFrame(host_);
        ASSERT_TRUE(pumpUntilPainted()) << "open " << i;
        sendButton(Button1, 0, 30, 20);
        ASSERT_TRUE(pumpUntil([&] { return view_->presses.size() == 1; }));
        closeFrame();
    }
    EXPECT_EQ(openedDisplays() - openedBefore, 100);
    EXPECT_EQ(closedDisplays() - closedBefore, 100);
    EXPECT_EQ(hostChildren(), 0);
}

// The pointer as the controls poll it on X, and the window's place on the screen.
// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "gui/platform/x11/X11Input.h"

#include "gui/MouseButtons.h"
#include "tests/x11/X11Fixture.h"

using X11InputTest = X11Fixture;

TEST_F(X11InputTest, ReportsThePointerInScreenCoordinatesWithNoButtonHeld)
{
    XMoveWindow(display_, host_, 30, 40);
    openFrame(host_);
    ASSERT_NE(window(), nullptr);
    XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, 123, 77);
    XSync(display_, False);
    X11Input input;
    EXPECT_EQ(input.cursorPosition(), (CPoint{123, 77}));
    EXPECT_EQ(input.mouseButtons(), 0);
    // Without a window manager the host window sits exactly where it was moved.
    EXPECT_EQ(window()->screenOrigin(), (CPoint{30, 40}));
}

TEST_F(X11InputTest, WithoutAnOpenWindowReportsNoButtonAndTheLastPosition)
{
    openFrame(host_);
    XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, 50, 60);
    XSync(display_, False);
    X11Input input;
    EXPECT_EQ(input.cursorPosition(), (CPoint{50, 60}));
    closeFrame();
    EXPECT_EQ(input.mouseButtons(), 0);
    EXPECT_EQ(input.cursorPosition(), (CPoint{50, 60}));
    EXPECT_EQ(input.doubleClickTime(), 500);
}

TEST_F(X11InputTest, EndsADragWhenTheConnectionBreaksUnderIt)
{
    HostLossHandler hostHandler;
    openFrame(host_);
    ASSERT_TRUE(pumpUntilPainted());
    endEditorConnection();
    // A control tracking the pointer asks for its buttons: Xlib finds the loss in that call.
    X11Input input;
    EXPECT_EQ(input.mouseButtons(), 0);
    EXPECT_TRUE(window()->lost());
    EXPECT_EQ(window()->createDevice(), nullptr);
    window()->pollEvents();
    EXPECT_FALSE(frame_->isOpen());
    closeFrame();
    EXPECT_EQ(hostHandler.losses(), 0);
}

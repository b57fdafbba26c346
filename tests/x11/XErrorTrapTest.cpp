// Errors of X requests under a trap: caught for its own connection, passed on for others,
// and the previous handler back afterwards.
// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "gui/platform/x11/XErrorTrap.h"

#include <X11/Xlib.h>

#include "tests/x11/X11Fixture.h"

namespace
{
// Owned by no client: every request naming it fails with BadWindow.
constexpr Window kNoWindow = 0x1FFFFF;

int errorsSeen = 0;
int countError(Display*, XErrorEvent*)
{
    ++errorsSeen;
    return 0;
}

class XErrorTrapTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        display_ = connectToServer();
        ASSERT_NE(display_, nullptr) << "these tests need an X display (run them under xvfb-run)";
        errorsSeen = 0;
        previous_ = XSetErrorHandler(&countError);
    }
    void TearDown() override
    {
        XSetErrorHandler(previous_);
        if (display_ != nullptr)
        {
            XCloseDisplay(display_);
        }
    }

    Display* display_ = nullptr;
    XErrorHandler previous_ = nullptr;
};
} // namespace

TEST_F(XErrorTrapTest, CatchesAFailedRequestAndRestoresTheHandlerBefore)
{
    {
        XErrorTrap trap(display_);
        XMapWindow(display_, kNoWindow);
        EXPECT_TRUE(trap.failedAfterSync());
        EXPECT_EQ(trap.firstError(), BadWindow);
    }
    EXPECT_EQ(errorsSeen, 0);
    EXPECT_EQ(XSetErrorHandler(&countError), &countError);
}

TEST_F(XErrorTrapTest, CatchesErrorsThatArriveOnlyWhenItEnds)
{
    {
        XErrorTrap trap(display_);
        XMapWindow(display_, kNoWindow); // no answer awaited here
    }
    XSync(display_, False);
    EXPECT_EQ(errorsSeen, 0);
}

TEST_F(XErrorTrapTest, LeavesErrorsOfAnotherConnectionToTheHandlerBefore)
{
    Display* other = connectToServer();
    ASSERT_NE(other, nullptr);
    {
        XErrorTrap trap(display_);
        XMapWindow(other, kNoWindow);
        XSync(other, False);
        EXPECT_FALSE(trap.failedAfterSync());
    }
    EXPECT_EQ(errorsSeen, 1);
    XCloseDisplay(other);
}

TEST_F(XErrorTrapTest, NestedTrapsKeepTheirErrorsApart)
{
    XErrorTrap outer(display_);
    {
        XErrorTrap inner(display_);
        XMapWindow(display_, kNoWindow);
        EXPECT_TRUE(inner.failedAfterSync());
    }
    EXPECT_FALSE(outer.failedAfterSync());
    XMapWindow(display_, kNoWindow);
    EXPECT_TRUE(outer.failedAfterSync());
    EXPECT_EQ(errorsSeen, 0);
}

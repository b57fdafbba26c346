// Errors of X requests and lost connections under a trap: caught for its own connection,
// passed on for others, and the previous handlers back afterwards.
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

int lossesSeen = 0;
int countLoss(Display*)
{
    ++lossesSeen;
    return 0;
}

// Lets Xlib return from a broken connection's calls instead of ending the process.
void survive(Display*, void* exits)
{
    ++*static_cast<int*>(exits);
}

class XErrorTrapTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        display_ = connectToServer();
        ASSERT_NE(display_, nullptr) << "these tests need an X display (run them under xvfb-run)";
        errorsSeen = 0;
        lossesSeen = 0;
        previous_ = XSetErrorHandler(&countError);
        previousLoss_ = XSetIOErrorHandler(&countLoss);
    }
    void TearDown() override
    {
        XSetIOErrorHandler(previousLoss_);
        XSetErrorHandler(previous_);
        if (display_ != nullptr)
        {
            XCloseDisplay(display_);
        }
    }

    // A connection of its own that the server has ended (as xkill does); Xlib has not seen it.
    Display* endedConnection()
    {
        Display* victim = connectToServer();
        if (victim == nullptr)
        {
            return nullptr;
        }
        XSetIOErrorExitHandler(victim, &survive, &exits_);
        const Pixmap pixmap = XCreatePixmap(victim, DefaultRootWindow(victim), 1, 1, 1);
        XSync(victim, False);
        XKillClient(display_, pixmap);
        XSync(display_, False);
        return victim;
    }

    Display* display_ = nullptr;
    XErrorHandler previous_ = nullptr;
    XIOErrorHandler previousLoss_ = nullptr;
    int exits_ = 0;
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

TEST_F(XErrorTrapTest, TakesTheLossOfItsConnectionFromTheHandlerBefore)
{
    Display* victim = endedConnection();
    ASSERT_NE(victim, nullptr);
    {
        XErrorTrap trap(victim);
        XSync(victim, False);
        EXPECT_TRUE(trap.connectionLost());
        EXPECT_TRUE(trap.failedAfterSync());
        trap.closeDisplay();
    }
    EXPECT_EQ(lossesSeen, 0);
    EXPECT_EQ(exits_, 1);
    EXPECT_EQ(XSetIOErrorHandler(&countLoss), &countLoss);
}

TEST_F(XErrorTrapTest, LeavesTheLossOfAnotherConnectionToTheHandlerBefore)
{
    Display* victim = endedConnection();
    ASSERT_NE(victim, nullptr);
    {
        XErrorTrap trap(display_);
        XSync(victim, False);
        EXPECT_FALSE(trap.connectionLost());
        EXPECT_FALSE(trap.failedAfterSync());
    }
    EXPECT_EQ(lossesSeen, 1);
    XCloseDisplay(victim);
}

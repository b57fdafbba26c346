// The editor's own connection: it sees the server hang up without asking Xlib, and when Xlib
// finds the loss first, the call returns instead of ending the process.
// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "gui/platform/x11/XConnection.h"

#include "gui/platform/x11/XErrorTrap.h"
#include "tests/x11/X11Fixture.h"

namespace
{
class XConnectionTest : public X11Fixture
{
  protected:
    void SetUp() override
    {
        X11Fixture::SetUp();
        connection_ = XConnection::open();
        ASSERT_NE(connection_, nullptr);
        Display* own = connection_->display();
        // Something of the connection's own for the server to end it by.
        window_ = XCreateSimpleWindow(own, host_, 0, 0, 10, 10, 0, 0, 0);
        XSelectInput(own, window_, ExposureMask | StructureNotifyMask);
        XMapWindow(own, window_);
        XSync(own, False);
    }
    void TearDown() override
    {
        connection_.reset();
        X11Fixture::TearDown();
    }

    // As xkill does: the server closes the connection.
    void endConnection()
    {
        XKillClient(display_, window_);
        XSync(display_, False);
    }

    std::unique_ptr<XConnection> connection_;
    Window window_ = 0;
};
} // namespace

TEST_F(XConnectionTest, IsNotLostWhileEventsWaitOnIt)
{
    // An exposure the host causes waits in the socket, unread by Xlib.
    XClearArea(display_, window_, 0, 0, 0, 0, True);
    XSync(display_, False);
    EXPECT_FALSE(connection_->checkLost());
    EXPECT_FALSE(connection_->lost());
    EXPECT_GT(XPending(connection_->display()), 0);
}

TEST_F(XConnectionTest, SeesTheServerHangUpWithoutAskingXlib)
{
    const int closedBefore = closedDisplays();
    endConnection();
    EXPECT_FALSE(connection_->lost());
    EXPECT_TRUE(connection_->checkLost());
    EXPECT_TRUE(connection_->lost());
    connection_.reset();
    EXPECT_EQ(closedDisplays() - closedBefore, 1);
}

TEST_F(XConnectionTest, ALossXlibFindsReturnsFromTheCallAndMarksTheConnection)
{
    HostLossHandler hostHandler;
    endConnection();
    {
        XErrorTrap trap(connection_->display());
        XSync(connection_->display(), False);
        EXPECT_TRUE(trap.connectionLost());
    }
    EXPECT_TRUE(connection_->lost());
    EXPECT_EQ(hostHandler.losses(), 0);
}

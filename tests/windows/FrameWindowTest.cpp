// The frame's child window on Windows: its class, the messages it turns into frame calls,
// the timer, cursors, and what happens when the host's window goes first.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "gui/platform/win32/DropTarget.h"
#include "gui/platform/win32/ModuleInstance.h"
#include "gui/platform/win32/Win32FrameWindow.h"
#include "tests/windows/WindowsTestSupport.h"

namespace
{
constexpr CRect kFrameSize{0, 0, 200, 120};
constexpr CRect kProbeSize{40, 30, 140, 90};
constexpr CColor kProbeColour{10, 200, 30, 255};

// A view that fills itself and records what reaches it.
class ProbeView : public CView
{
  public:
    ProbeView() : CView(kProbeSize) {}

    void draw(CDrawContext* context) override
    {
        ++draws;
        context->setFillColor(kProbeColour);
        context->fillRect({size_.left - 1, size_.top - 1, size_.right, size_.bottom});
        setDirty(false);
    }
    void onMouseDown(CDrawContext*, CPoint where, int32_t) override { presses.push_back(where); }
    bool onWheelAxis(CDrawContext*, CPoint where, int32_t, float distance) override
    {
        wheelPoints.push_back(where);
        distances.push_back(distance);
        return true;
    }

    int draws = 0;
    std::vector<CPoint> presses;
    std::vector<CPoint> wheelPoints;
    std::vector<float> distances;
};

class TickCounter : public CFrameOwner
{
  public:
    void beginEdit(int32_t) override {}
    void endEdit(int32_t) override {}
    void idlePump() override {}
    int32_t knobMode() const override { return 0; }
    void timerTick() override { ++ticks; }
    bool sizeWindow(int32_t width, int32_t height) override
    {
        hostSizes.push_back({width, height});
        return hostResizes;
    }

    int ticks = 0;
    bool hostResizes = false;
    std::vector<CPoint> hostSizes;
};

CPoint clientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT windowRect(HWND window)
{
    RECT outer{};
    GetWindowRect(window, &outer);
    return outer;
}

bool classRegistered()
{
    WNDCLASSA description{};
    return GetClassInfoA(thisModule(), Win32FrameWindow::className(), &description) != 0;
}

// A frame with one probe view in a child window of its own host window.
class Win32Frame : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        host_ = makeHostWindow(kFrameSize.width(), kFrameSize.height());
        ASSERT_NE(host_, nullptr);
        frame_ = new CFrame(kFrameSize, host_, &owner_);
        ASSERT_NE(frame_->getWindow(), nullptr);
        probe_ = new ProbeView;
        frame_->addChild(probe_);
        child_ = static_cast<HWND>(frame_->getWindow()->handle());
        // Let the first paint and ticks pass; the tests count from here.
        pumpMessagesFor(50);
        probe_->draws = 0;
        owner_.ticks = 0;
    }
    void TearDown() override
    {
        if (frame_ != nullptr)
        {
            frame_->release();
        }
        DestroyWindow(host_);
    }

    LPARAM screenPosition(int32_t x, int32_t y) const
    {
        POINT where{x, y};
        ClientToScreen(child_, &where);
        return MAKELPARAM(where.x, where.y);
    }

    TickCounter owner_;
    HWND host_ = nullptr;
    HWND child_ = nullptr;
    CFrame* frame_ = nullptr;
    ProbeView* probe_ = nullptr;
};
} // namespace

TEST_F(Win32Frame, IsAChildOfTheHostWindowWithTheFramesSize)
{
    EXPECT_EQ(GetParent(child_), host_);
    RECT client{};
    GetClientRect(child_, &client);
    EXPECT_EQ(client.right, kFrameSize.width());
    EXPECT_EQ(client.bottom, kFrameSize.height());
    char name[64] = {};
    GetClassNameA(child_, name, sizeof(name));
    EXPECT_STREQ(name, Win32FrameWindow::className());
}

TEST_F(Win32Frame, TwoFramesShareOneClassThatGoesWithTheLast)
{
    HWND secondHost = makeHostWindow(kFrameSize.width(), kFrameSize.height());
    auto* second = new CFrame(kFrameSize, secondHost, nullptr);
    ASSERT_NE(second->getWindow(), nullptr);
    char first[64] = {}, other[64] = {};
    GetClassNameA(child_, first, sizeof(first));
    GetClassNameA(static_cast<HWND>(second->getWindow()->handle()), other, sizeof(other));
    EXPECT_STREQ(first, other);

    second->release();
    EXPECT_TRUE(classRegistered());
    frame_->release();
    frame_ = nullptr;
    EXPECT_FALSE(classRegistered());
    DestroyWindow(secondHost);
}

TEST_F(Win32Frame, PaintsTheUpdateAreaThroughItsBackBuffer)
{
    InvalidateRect(child_, nullptr, FALSE);
    UpdateWindow(child_);
    EXPECT_EQ(probe_->draws, 1);
    const PixelImage shown = captureWindow(child_);
    ASSERT_EQ(shown.width, kFrameSize.width());
    EXPECT_EQ(countOtherThan(shown, kProbeSize, pixelOf(kProbeColour)), 0);
}

// A control's drag pumps through the frame: one pending paint is handled there, so that
// what other windows uncover is painted while the knob is held.
TEST_F(Win32Frame, ADragsPumpPaintsOnePendingRegion)
{
    pumpMessagesFor(20);
    probe_->draws = 0;
    InvalidateRect(child_, nullptr, FALSE);
    frame_->dispatchPendingPaint();
    EXPECT_EQ(probe_->draws, 1);
    frame_->dispatchPendingPaint();
    EXPECT_EQ(probe_->draws, 1) << "nothing left to paint";
    EXPECT_EQ(countOtherThan(captureWindow(child_), kProbeSize, pixelOf(kProbeColour)), 0);
}

TEST_F(Win32Frame, APaintMessageWithoutAnUpdateRegionDrawsNothing)
{
    ValidateRect(child_, nullptr);
    SendMessageA(child_, WM_PAINT, 0, 0);
    EXPECT_EQ(probe_->draws, 0);
}

TEST_F(Win32Frame, AWheelNotchTurnsByOneAndTwoNotchesBackByMinusTwo)
{
    // The message carries screen coordinates; the view gets the frame's.
    SendMessageA(child_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), screenPosition(50, 40));
    SendMessageA(child_, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), screenPosition(60, 45));
    ASSERT_EQ(probe_->distances.size(), 2u);
    EXPECT_EQ(probe_->distances[0], 1.0f);
    EXPECT_EQ(probe_->distances[1], -2.0f);
    EXPECT_EQ(probe_->wheelPoints[0], (CPoint{50, 40}));
    EXPECT_EQ(probe_->wheelPoints[1], (CPoint{60, 45}));
}

TEST_F(Win32Frame, PressesReachTheViewUnderThePointer)
{
    SendMessageA(child_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 35));
    SendMessageA(child_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(139, 89));
    SendMessageA(child_, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(probe_->presses, (std::vector<CPoint>{{45, 35}, {139, 89}}));
}

TEST_F(Win32Frame, ItsTimerTicksTheOwnerEveryTwentyFiveMilliseconds)
{
    const DWORD start = GetTickCount();
    pumpMessagesFor(300);
    const int periods = int(GetTickCount() - start) / int(Win32FrameWindow::kTickMs);
    // A busy machine delivers fewer ticks than periods passed, never more (one may have
    // been due when counting started).
    EXPECT_GE(owner_.ticks, periods / 3);
    EXPECT_LE(owner_.ticks, periods + 1);
}

TEST_F(Win32Frame, HoldsItsDropTargetWhileDropsAreActive)
{
    auto* window = static_cast<Win32FrameWindow*>(frame_->getWindow());
    auto* other = new DropTarget;
    EXPECT_EQ(RegisterDragDrop(child_, other), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_TRUE(window->setDropActive(false));
    EXPECT_EQ(RegisterDragDrop(child_, other), S_OK);
    EXPECT_EQ(RevokeDragDrop(child_), S_OK);
    EXPECT_TRUE(window->setDropActive(true));
    EXPECT_EQ(RegisterDragDrop(child_, other), DRAGDROP_E_ALREADYREGISTERED);
    other->Release();
}

TEST_F(Win32Frame, CursorTypeSevenRestoresTheCursorFromBeforeTheFirstChange)
{
    auto* window = static_cast<Win32FrameWindow*>(frame_->getWindow());
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    window->setCursor(kCursorHand);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    window->setCursor(kCursorWait);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    window->setCursor(7);
    EXPECT_EQ(GetCursor(), arrow);
    window->setCursor(kCursorNotAllowed);
    frame_->release();
    frame_ = nullptr;
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(Win32Frame, WhenTheHostDestroysItsWindowFirstTheFrameStopsDrawing)
{
    DestroyWindow(host_);
    host_ = nullptr;
    EXPECT_FALSE(frame_->isOpen());
    EXPECT_EQ(frame_->getWindow()->handle(), nullptr);
    EXPECT_EQ(frame_->getWindow()->createDevice(), nullptr);
    const int ticks = owner_.ticks;
    pumpMessagesFor(100);
    EXPECT_EQ(owner_.ticks, ticks);
    frame_->release();
    frame_ = nullptr;
    EXPECT_FALSE(classRegistered());
}

TEST_F(Win32Frame, ResizesOnlyItsOwnWindowWhenTheHostSizesItsWindow)
{
    owner_.hostResizes = true;
    ASSERT_TRUE(frame_->resize(260, 150));
    ASSERT_EQ(owner_.hostSizes.size(), 1u);
    EXPECT_EQ(owner_.hostSizes[0], (CPoint{260, 150}));
    EXPECT_EQ(clientSize(child_), (CPoint{260, 150}));
    EXPECT_EQ(clientSize(host_), (CPoint{200, 120}));
    EXPECT_EQ(frame_->getSize(), (CRect{0, 0, 260, 150}));

    // The whole window is painted again, through a back buffer of the new size.
    probe_->draws = 0;
    UpdateWindow(child_);
    EXPECT_EQ(probe_->draws, 1);
    EXPECT_EQ(captureWindow(child_).width, 260);
}

TEST_F(Win32Frame, FitsTheHostWindowAroundItWhenTheHostDoesNotResize)
{
    ASSERT_TRUE(frame_->resize(260, 150));
    EXPECT_EQ(clientSize(child_), (CPoint{260, 150}));
    EXPECT_EQ(clientSize(host_), (CPoint{260, 150}));
    // Shrinking measures the borders before each window changes too.
    ASSERT_TRUE(frame_->resize(180, 100));
    EXPECT_EQ(clientSize(child_), (CPoint{180, 100}));
    EXPECT_EQ(clientSize(host_), (CPoint{180, 100}));
    EXPECT_EQ(owner_.hostSizes.size(), 2u);
}

TEST_F(Win32Frame, RefusesAnUnchangedEmptyOrHugeSizeAndAClosedFrame)
{
    EXPECT_FALSE(frame_->resize(200, 120));
    EXPECT_FALSE(frame_->resize(0, 120));
    EXPECT_FALSE(frame_->resize(200, -5));
    EXPECT_FALSE(frame_->resize(100000, 120));
    EXPECT_TRUE(owner_.hostSizes.empty());
    EXPECT_EQ(clientSize(child_), (CPoint{200, 120}));

    frame_->setOpen(false);
    EXPECT_FALSE(frame_->resize(300, 200));
    int32_t x = -1, y = -1;
    EXPECT_FALSE(frame_->getPosition(x, y));
    CRect outer;
    EXPECT_FALSE(frame_->getOuterSize(outer));
}

TEST_F(Win32Frame, PositionAndOuterSizeAreThoseOfTheHostWindow)
{
    // The host window has a caption and its parent is the desktop: its corner on the screen.
    const RECT host = windowRect(host_);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame_->getPosition(x, y));
    EXPECT_EQ(x, host.left);
    EXPECT_EQ(y, host.top);

    CRect outer;
    ASSERT_TRUE(frame_->getOuterSize(outer));
    EXPECT_EQ(outer, (CRect{host.left, host.top, host.right, host.bottom}));
}

TEST_F(Win32Frame, PositionStopsAtAParentClearlyLargerThanTheFrame)
{
    // A host panel much wider than the frame, inside the host window: the panel's corner.
    HWND panel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 7, 9, 400, 200, host_,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(panel, nullptr);
    auto* frame = new CFrame(kFrameSize, panel, nullptr);
    ASSERT_NE(frame->getWindow(), nullptr);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    CRect outer;
    ASSERT_TRUE(frame->getOuterSize(outer));
    EXPECT_EQ(outer, (CRect{7, 9, 407, 209}));
    frame->release();
    DestroyWindow(panel);
}

TEST(FrameWindowParent, ThatIsNotAWindowGivesTheFrameNoWindow)
{
    for (void* parent : {static_cast<void*>(nullptr), reinterpret_cast<void*>(uintptr_t(0x7FFF0))})
    {
        auto* frame = new CFrame(kFrameSize, parent, nullptr);
        EXPECT_EQ(frame->getWindow(), nullptr);
        frame->idle();
        frame->release();
    }
    EXPECT_FALSE(classRegistered());
}

TEST(FrameWindowLifetime, OpeningAndClosingLeavesNoGdiObjectOrWindowBehind)
{
    HWND host = makeHostWindow(kFrameSize.width(), kFrameSize.height());
    const DWORD before = gdiObjectCount();
    for (int i = 0; i < 50; ++i)
    {
        auto* frame = new CFrame(kFrameSize, host, nullptr);
        frame->addChild(new ProbeView);
        InvalidateRect(static_cast<HWND>(frame->getWindow()->handle()), nullptr, FALSE);
        pumpMessagesFor(0);
        frame->release();
    }
    EXPECT_EQ(gdiObjectCount(), before);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    DestroyWindow(host);
}

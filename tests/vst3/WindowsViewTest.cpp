// The view as a Windows VST3 host shows it: attached to the host's top-level window as an
// HWND, a child window of the one size that paints the panel from its own messages and runs
// the view on its own timer, and attached and removed many times without leaving a window or
// GDI objects behind.
#include "tests/vst3/Vst3Host.h"
#include "tests/windows/WindowsTestSupport.h"

#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace
{
constexpr int32_t kWidth = 754;
constexpr int32_t kHeight = 374;
constexpr DWORD kSettleMs = 1000;
// A timer's period and then some.
constexpr DWORD kTimerMs = 200;
// A window nobody painted is one plain colour; the panel has far more than this many.
constexpr size_t kPaintedColours = 64;
constexpr int kOpenCloseCycles = 20;

class Vst3ViewOnWindows : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(module_.factory(), nullptr) << module_.error();
        instance_ = std::make_unique<Vst3Instance>(*module_.factory(), Vst3Effect::kClassId);
        ASSERT_NE(instance_->controller, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        instance_.reset();
        DestroyWindow(window_);
    }

    // A view attached to the host's window; its window, null when that failed.
    HWND attach()
    {
        view_ = instance_->controller->createView(vst3::kEditorViewType);
        if (!view_ ||
            view_->isPlatformTypeSupported(vst3::kPlatformTypeHwnd) != vst3::kResultTrue ||
            view_->attached(window_, vst3::kPlatformTypeHwnd) != vst3::kResultOk)
            return nullptr;
        return GetWindow(window_, GW_CHILD);
    }
    void remove()
    {
        view_->removed();
        view_->release();
        view_ = nullptr;
    }

    Vst3Module module_{testModulePath()};
    std::unique_ptr<Vst3Instance> instance_;
    vst3::IPlugView* view_ = nullptr;
    HWND window_ = makeHostWindow(kWidth, kHeight);
};
} // namespace

TEST_F(Vst3ViewOnWindows, PaintsThePanelInAChildOfTheHostsWindow)
{
    const HWND editor = attach();
    ASSERT_NE(editor, nullptr);
    vst3::ViewRect size{};
    ASSERT_EQ(view_->getSize(&size), vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, kWidth);
    EXPECT_EQ(size.bottom - size.top, kHeight);
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    pumpMessagesFor(kSettleMs);
    EXPECT_GT(distinctColours(captureWindow(editor)), kPaintedColours);
    remove();
    EXPECT_FALSE(IsWindow(editor));
}

TEST_F(Vst3ViewOnWindows, LeavesNoWindowOrGdiObjectAfterItsAttachments)
{
    DWORD objectsAfterFirst = 0;
    int windowsAfterFirst = 0;
    for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle)
    {
        ASSERT_NE(attach(), nullptr) << "attachment " << cycle;
        pumpMessagesFor(30);
        remove();
        pumpMessagesFor(0);
        if (cycle == 0)
        {
            objectsAfterFirst = gdiObjectCount();
            windowsAfterFirst = threadWindowCount();
        }
    }
    EXPECT_EQ(threadWindowCount(), windowsAfterFirst);
    // A leak of one object an attachment would show as one less than the cycles more.
    EXPECT_LT(gdiObjectCount(), objectsAfterFirst + DWORD(kOpenCloseCycles - 1));
    instance_.reset();
    EXPECT_EQ(GetWindow(window_, GW_CHILD), nullptr);
}

// A Windows host has no run loop to give the view: the view's own window timer tells the host
// of a program it chose, outside the host's call, as the run loop does on Linux.
TEST_F(Vst3ViewOnWindows, TellsTheHostOfAProgramFromItsWindowsTimer)
{
    RecordingHandler handler;
    ASSERT_EQ(instance_->controller->setComponentHandler(&handler), vst3::kResultOk);
    ASSERT_NE(attach(), nullptr);
    instance_->controller->setParamNormalized(vst3_parameters::kProgramId, 0.5);
    EXPECT_TRUE(handler.calls.empty());
    pumpMessagesFor(kTimerMs);
    const std::string restart = "restart " + std::to_string(vst3::kParamValuesChanged);
    EXPECT_NE(std::find(handler.calls.begin(), handler.calls.end(), restart), handler.calls.end());
    remove();
    instance_->controller->setComponentHandler(nullptr);
}

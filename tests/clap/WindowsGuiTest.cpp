// The editor as a Windows CLAP host shows it: created through clap.gui's "win32" API in the
// host's top-level window, a child window of the one size that paints the panel from its own
// messages, and opened and closed many times without leaving a window or GDI objects behind.
#include "core/HostParameters.h"
#include "engine/ControlTable.h"
#include "tests/clap/ClapHost.h"
#include "tests/windows/WindowsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
constexpr int32_t kWidth = 754;
constexpr int32_t kHeight = 374;
constexpr DWORD kSettleMs = 1000;
// A window nobody painted is one plain colour; the panel has far more than this many.
constexpr size_t kPaintedColours = 64;
constexpr int kOpenCloseCycles = 20;

class ClapEditorOnWindows : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(host_.plugin(), nullptr);
        gui_ = host_.extension<clap_plugin_gui_t>(kClapExtGui);
        ASSERT_NE(gui_, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        host_.destroy();
        DestroyWindow(window_);
    }

    // The editor in the host's window, as a host embeds it; its window, null when it failed.
    HWND open()
    {
        const clap_plugin_t* plugin = host_.plugin();
        clap_window_t parent{};
        parent.api = kClapWindowApiWin32;
        parent.win32 = window_;
        if (!gui_->create(plugin, kClapWindowApiWin32, false) || !gui_->set_parent(plugin, &parent))
            return nullptr;
        gui_->show(plugin);
        return GetWindow(window_, GW_CHILD);
    }

    static const clap_plugin_entry_t* entry()
    {
        static const clap_plugin_entry_t* loaded = loadClapEntry(clapPluginPath());
        return loaded;
    }

    ClapHost host_{entry()};
    const clap_plugin_gui_t* gui_ = nullptr;
    HWND window_ = makeHostWindow(kWidth, kHeight);
};
} // namespace

TEST_F(ClapEditorOnWindows, PaintsThePanelInAChildOfTheHostsWindow)
{
    EXPECT_TRUE(gui_->is_api_supported(host_.plugin(), kClapWindowApiWin32, false));
    const HWND editor = open();
    ASSERT_NE(editor, nullptr);
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    pumpMessagesFor(kSettleMs);
    EXPECT_GT(distinctColours(captureWindow(editor)), kPaintedColours);
    gui_->destroy(host_.plugin());
    EXPECT_FALSE(IsWindow(editor));
}

TEST_F(ClapEditorOnWindows, LeavesNoWindowOrGdiObjectAfterItsOpens)
{
    DWORD objectsAfterFirst = 0;
    int windowsAfterFirst = 0;
    for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle)
    {
        ASSERT_NE(open(), nullptr) << "open " << cycle;
        pumpMessagesFor(30);
        gui_->destroy(host_.plugin());
        pumpMessagesFor(0);
        if (cycle == 0)
        {
            objectsAfterFirst = gdiObjectCount();
            windowsAfterFirst = threadWindowCount();
        }
    }
    EXPECT_EQ(threadWindowCount(), windowsAfterFirst);
    // A leak of one object an open would show as one less than the cycles more.
    EXPECT_LT(gdiObjectCount(), objectsAfterFirst + DWORD(kOpenCloseCycles - 1));
    host_.destroy();
    EXPECT_EQ(GetWindow(window_, GW_CHILD), nullptr);
}

// Without the host's timers the editor's own window ticks it: a value the host sets moves the
// knob on the panel.
TEST_F(ClapEditorOnWindows, FollowsTheHostWithoutTheHostsTimers)
{
    host_.offersTimers = false;
    const HWND editor = open();
    ASSERT_NE(editor, nullptr);
    pumpMessagesFor(300);
    const ControlRow& knob = findControlRow(kParamLimiterGain);
    const CRect area{knob.x, knob.y, knob.x + 40, knob.y + 40};
    const PixelImage before = captureWindow(editor);
    const uint32_t top = uint32_t(host_parameters::stepCount(kParamLimiterGain));
    host_.flush({valueEvent(kParamLimiterGain, top, 0)});
    pumpMessagesFor(300);
    const PixelImage after = captureWindow(editor);
    int32_t changed = 0;
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            changed += before.at(x, y) != after.at(x, y);
    EXPECT_GT(changed, 0);
}

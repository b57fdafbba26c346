// The editor as a CLAP host shows it: embedded in the host's X window at its one size, ticking
// on the host's timer (or on a file descriptor the host watches), and a knob's drag reaching
// the host as a gesture with its values. A host may destroy the instance from inside the
// drag's calls; nothing is used after it goes (run under AddressSanitizer).
// Before Xlib, whose macros clash with its names.
#include <gtest/gtest.h>

#include "tests/clap/ClapHost.h"

#include "editor/SDEditor.h"
#include "gui/CControl.h"
#include "gui/MouseButtons.h"
#include "gui/platform/x11/X11Window.h"
#include "plugin/clap/ClapGui.h"
#include "plugin/clap/ClapPlugin.h"
#include "tests/editor/PointerScript.h"
#include "tests/x11/ServerConnection.h"

#include <X11/Xlib.h>

#include <algorithm>

extern "C" const clap_plugin_entry_t clap_entry;

namespace
{
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

class ClapEditor : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        display_ = connectToServer();
        ASSERT_NE(display_, nullptr) << "this test needs an X display (run it under xvfb-run)";
        previousHandler_ = XSetErrorHandler(&ignoreError);
        parent_ =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 800, 420, 0, 0, 0);
        XMapWindow(display_, parent_);
        XSync(display_, False);
        platform::installInput(&pointer_);
        ASSERT_NE(host_.plugin(), nullptr);
        gui_ = host_.extension<clap_plugin_gui_t>(kClapExtGui);
    }
    void TearDown() override
    {
        if (host_.plugin())
            gui_->destroy(host_.plugin());
        host_.destroy();
        platform::installInput(nullptr);
        XDestroyWindow(display_, parent_);
        XCloseDisplay(display_);
        XSetErrorHandler(previousHandler_);
    }

    void embed()
    {
        ASSERT_TRUE(gui_->is_api_supported(host_.plugin(), "x11", false));
        ASSERT_TRUE(gui_->create(host_.plugin(), "x11", false));
        clap_window_t window{};
        window.api = "x11";
        window.x11 = parent_;
        ASSERT_TRUE(gui_->set_parent(host_.plugin(), &window));
        ASSERT_TRUE(gui_->show(host_.plugin()));
    }

    // A press on the knob's centre, then the pointer moves up with the button held; the host's
    // next timer call takes the press and plays the whole drag.
    void dragKnob(int index)
    {
        SDEditor& editor = ClapPlugin::of(host_.plugin())->gui()->editor();
        const CRect knob = editor.control(index)->getSize();
        const CPoint centre{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
        pointer_.then(kLButton, centre).glide(kLButton, {centre.h, centre.v - 60}, 20);
        const Window window = X11Window::latest()->window();
        XEvent event{};
        event.xbutton.type = ButtonPress;
        event.xbutton.window = window;
        event.xbutton.root = DefaultRootWindow(display_);
        event.xbutton.x = centre.h;
        event.xbutton.y = centre.v;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        XSendEvent(display_, window, False, ButtonPressMask, &event);
        XSync(display_, False);
        pointer_.setTicks(pointer_.ticks() + 30);
        host_.extension<clap_plugin_timer_support_t>(kClapExtTimerSupport)
            ->on_timer(host_.plugin(), 1);
    }

    // The output events of one parameter, in order.
    std::vector<OutputEvent> eventsOf(clap_id id)
    {
        std::vector<OutputEvent> events;
        std::ranges::copy_if(host_.outputs(), std::back_inserter(events),
                             [id](const OutputEvent& event) { return event.id == id; });
        return events;
    }

    void expectOneGestureWithValues(clap_id id)
    {
        const std::vector<OutputEvent> events = eventsOf(id);
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(events.front().type, kClapEventParamGestureBegin);
        EXPECT_EQ(events.back().type, kClapEventParamGestureEnd);
        for (size_t i = 1; i + 1 < events.size(); ++i)
            EXPECT_EQ(events[i].type, kClapEventParamValue);
        EXPECT_EQ(events[events.size() - 2].value, host_.value(id));
    }

    Display* display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
    Window parent_ = 0;
    PointerScript pointer_;
    ClapHost host_{&clap_entry};
    const clap_plugin_gui_t* gui_ = nullptr;
};
} // namespace

TEST_F(ClapEditor, EmbedsAtItsOneSizeAndTicksOnTheHostsTimer)
{
    EXPECT_FALSE(gui_->is_api_supported(host_.plugin(), "x11", true));
    EXPECT_FALSE(gui_->is_api_supported(host_.plugin(), "win32", false));
    EXPECT_FALSE(gui_->create(host_.plugin(), "wayland", false));
    embed();
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui_->get_size(host_.plugin(), &width, &height));
    EXPECT_EQ(width, 754u);
    EXPECT_EQ(height, 374u);
    EXPECT_FALSE(gui_->can_resize(host_.plugin()));
    clap_gui_resize_hints_t hints{true, true, true, 1, 1};
    ASSERT_TRUE(gui_->get_resize_hints(host_.plugin(), &hints));
    EXPECT_FALSE(hints.can_resize_horizontally || hints.can_resize_vertically);
    EXPECT_FALSE(gui_->set_size(host_.plugin(), 800, 400));
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display_, X11Window::latest()->window(), &root, &parent, &children, &count);
    XFree(children);
    EXPECT_EQ(parent, parent_);
    EXPECT_EQ(host_.timerPeriods, std::vector<uint32_t>{25});
    EXPECT_TRUE(ClapPlugin::of(host_.plugin())->gui()->carriesCeiling());
}

TEST_F(ClapEditor, TicksOnAWatchedDescriptorWhenTheHostHasNoTimer)
{
    host_.offersTimers = false;
    embed();
    ASSERT_EQ(host_.watchedFds.size(), 1u);
    host_.extension<clap_plugin_posix_fd_support_t>(kClapExtPosixFdSupport)
        ->on_fd(host_.plugin(), host_.watchedFds[0], kClapPosixFdRead);
    gui_->destroy(host_.plugin());
    EXPECT_TRUE(host_.watchedFds.empty());
}

// Not processing: the host is asked to flush and hears the gesture there.
TEST_F(ClapEditor, ReportsADragAsAGestureInTheHostsFlush)
{
    embed();
    dragKnob(kParamLimiterGain);
    EXPECT_GE(host_.flushRequests, 1);
    host_.flush();
    expectOneGestureWithValues(kParamLimiterGain);
}

TEST_F(ClapEditor, ReportsADragAsAGestureInTheNextBlock)
{
    ASSERT_TRUE(host_.activate());
    embed();
    dragKnob(kParamThresholdMid);
    float left[64] = {}, right[64] = {};
    host_.process(left, right, left, right, 64);
    expectOneGestureWithValues(kParamThresholdMid);
    host_.deactivate();
}

TEST_F(ClapEditor, SurvivesTheHostDestroyingItFromInsideADrag)
{
    embed();
    host_.onFlushRequest = [this]
    {
        host_.onFlushRequest = nullptr;
        host_.destroy();
    };
    dragKnob(kParamLimiterGain);
    EXPECT_EQ(host_.plugin(), nullptr);
    EXPECT_EQ(host_.flushRequests, 1) << "no call to the host after its destroy";
}

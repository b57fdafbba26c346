// The LV2 user interface as a host drives it: through its descriptor, embedded in the host's
// X window, through the host's idle calls. A host may clean the interface up from inside the
// calls a knob's drag makes to it (the touch of the gesture, the port write of a step); the
// interface then calls the host no more, and goes once the idle call has returned (run under
// AddressSanitizer, nothing it frees may be used afterwards). While nothing moves, the idle
// calls cost the X server nothing.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "gui/CControl.h"
#include "gui/MouseButtons.h"
#include "gui/platform/x11/X11Window.h"
#include "plugin/lv2/Lv2Effect.h"
#include "plugin/lv2/Lv2Ui.h"
#include "plugin/lv2/Lv2Uris.h"
#include "tests/editor/PointerScript.h"
#include "tests/x11/ServerConnection.h"

#include <lv2/instance-access/instance-access.h>

#include <utility>

namespace
{
enum class HostCall
{
    touch,
    write,
};

int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

class Lv2UiInHost : public ::testing::Test
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
        instantiate();
    }
    void TearDown() override
    {
        if (handle_ != nullptr)
            descriptor_->cleanup(handle_);
        platform::installInput(nullptr);
        if (display_ != nullptr)
        {
            XDestroyWindow(display_, parent_);
            XCloseDisplay(display_);
        }
        XSetErrorHandler(previousHandler_);
    }

    void instantiate()
    {
        touchData_ = {this, touch};
        const LV2_Feature* features[] = {&parentFeature_, &touchFeature_, &instance_, nullptr};
        parentFeature_.data = reinterpret_cast<void*>(parent_);
        descriptor_ = lv2ui_descriptor(0);
        handle_ =
            descriptor_->instantiate(descriptor_, lv2::kUiUri, "", write, this, &widget_, features);
        ASSERT_NE(handle_, nullptr);
        idle_ = static_cast<const LV2UI_Idle_Interface*>(
            descriptor_->extension_data(LV2_UI__idleInterface));
    }

    // A press on the knob's centre, then the pointer moves up with the button held; the host's
    // next idle call takes the press and plays the whole drag.
    void dragKnobInIdle(int index)
    {
        const CRect knob = static_cast<Lv2Ui*>(handle_)->editor().control(index)->getSize();
        const CPoint centre{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
        pointer_.then(kLButton, centre).glide(kLButton, {centre.h, centre.v - 60}, 20);
        const Window window = reinterpret_cast<Window>(widget_);
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
        idle_->idle(handle_);
    }

    // The host cleans the interface up from inside the first call of this kind.
    void cleanUpOn(HostCall call) { cleanUpOn_ = call; }
    void hostCalled(HostCall call)
    {
        if (handle_ == nullptr)
        {
            ++callsAfterCleanup_;
            return;
        }
        if (call == cleanUpOn_)
        {
            LV2UI_Handle handle = std::exchange(handle_, nullptr);
            descriptor_->cleanup(handle);
        }
    }
    bool widgetExists()
    {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display_, reinterpret_cast<Window>(widget_), &attributes) != 0;
    }
    void expectGoneWithoutFurtherCalls()
    {
        EXPECT_EQ(handle_, nullptr) << "the host's call came";
        EXPECT_EQ(callsAfterCleanup_, 0);
        EXPECT_FALSE(widgetExists()) << "the interface was not destroyed after the idle call";
    }

    // Host idle calls 30 ms apart, as hosts make them, after the window's first exposure.
    void idleFor(int calls)
    {
        for (int call = 0; call < calls; ++call)
        {
            XSync(display_, False);
            pointer_.setTicks(pointer_.ticks() + 30);
            idle_->idle(handle_);
        }
    }

    static void write(LV2UI_Controller controller, uint32_t, uint32_t, uint32_t, const void*)
    {
        static_cast<Lv2UiInHost*>(controller)->hostCalled(HostCall::write);
    }
    static void touch(LV2UI_Feature_Handle handle, uint32_t, bool)
    {
        static_cast<Lv2UiInHost*>(handle)->hostCalled(HostCall::touch);
    }

    Display* display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
    Window parent_ = 0;
    PointerScript pointer_;
    Lv2Effect effect_{44100, nullptr};
    LV2_Feature parentFeature_{LV2_UI__parent, nullptr};
    LV2UI_Touch touchData_{};
    LV2_Feature touchFeature_{LV2_UI__touch, &touchData_};
    LV2_Feature instance_{LV2_INSTANCE_ACCESS_URI, &effect_};
    const LV2UI_Descriptor* descriptor_ = nullptr;
    LV2UI_Handle handle_ = nullptr;
    LV2UI_Widget widget_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    HostCall cleanUpOn_{};
    int callsAfterCleanup_ = 0;
};
} // namespace

TEST_F(Lv2UiInHost, SurvivesACleanupFromTheTouchThatStartsADrag)
{
    cleanUpOn(HostCall::touch);
    dragKnobInIdle(kParamLimiterGain);
    expectGoneWithoutFurtherCalls();
}

TEST_F(Lv2UiInHost, SurvivesACleanupFromAPortWriteDuringADrag)
{
    cleanUpOn(HostCall::write);
    dragKnobInIdle(kParamLimiterGain);
    expectGoneWithoutFurtherCalls();
}

// suil clears the handle it keeps when the host's window goes, cleans up, and still hands the
// cleared handle to the calls that follow until the host frees the instance.
TEST_F(Lv2UiInHost, IgnoresTheCallsOfAHostWithAClearedHandle)
{
    LV2UI_Handle handle = std::exchange(handle_, nullptr);
    descriptor_->cleanup(handle);
    const float value = 1.0f;
    descriptor_->port_event(nullptr, lv2::portOfParameter(kParamLimiterGain), sizeof(value), 0,
                            &value);
    EXPECT_NE(idle_->idle(nullptr), 0);
    descriptor_->cleanup(nullptr);
}

// Every request costs the host's X server work, and most of them a round trip: a panel whose
// meters and viewer show nothing new (the effect is not playing) makes none, whichever viewer
// it shows.
TEST_F(Lv2UiInHost, MakesNoRequestOfTheXServerWhileNothingMoves)
{
    Display* editorDisplay = X11Window::latest()->display();
    for (const float viewerMode : {0.0f, 1.0f})
    {
        effect_.settings().restore(kParamViewerMode, viewerMode);
        // The output meter rises to "no reduction" over the first few dozen ticks.
        idleFor(100);
        const unsigned long before = NextRequest(editorDisplay);
        idleFor(20);
        EXPECT_EQ(NextRequest(editorDisplay) - before, 0u) << "viewer mode " << viewerMode;
    }
}

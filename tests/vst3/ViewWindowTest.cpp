// The view as a Linux host drives it: attached to the host's X window, its tick and its X
// events run by the host's run loop, and a knob's drag reaching the host's handler as one
// gesture. A host may close and release the view from inside a call of that drag; the view
// then goes once the run loop's call has returned (run under AddressSanitizer, nothing it
// frees may be used afterwards).
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "editor/SDEditor.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "gui/MouseButtons.h"
#include "gui/platform/FrameWindow.h"
#include "plugin/vst3/Vst3Effect.h"
#include "plugin/vst3/Vst3Parameters.h"
#include "plugin/vst3/Vst3View.h"
#include "tests/editor/PointerScript.h"
#include "tests/vst3/Vst3Host.h"
#include "tests/x11/ServerConnection.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

// The host's window frame and its run loop: the test runs the registered timer and event
// handler when it pumps.
class HostFrame : public vst3::IPlugFrame, public vst3::IRunLoop
{
  public:
    vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** object) override
    {
        *object = nullptr;
        if (vst3::sameUid(iid, vst3::iid::kRunLoop))
            *object = static_cast<vst3::IRunLoop*>(this);
        else if (vst3::sameUid(iid, vst3::iid::kPlugFrame) ||
                 vst3::sameUid(iid, vst3::iid::kFUnknown))
            *object = static_cast<vst3::IPlugFrame*>(this);
        return *object ? vst3::kResultOk : vst3::kNoInterface;
    }
    uint32_t VST3_CALL addRef() override { return 1; }
    uint32_t VST3_CALL release() override { return 1; }
    vst3::tresult VST3_CALL resizeView(vst3::IPlugView*, vst3::ViewRect*) override
    {
        return vst3::kResultFalse;
    }
    vst3::tresult VST3_CALL registerEventHandler(vst3::IEventHandler* handler, int fd) override
    {
        handler_ = handler;
        fd_ = fd;
        return vst3::kResultOk;
    }
    vst3::tresult VST3_CALL unregisterEventHandler(vst3::IEventHandler* handler) override
    {
        if (handler == handler_)
            handler_ = nullptr;
        return vst3::kResultOk;
    }
    vst3::tresult VST3_CALL registerTimer(vst3::ITimerHandler* timer, uint64_t ms) override
    {
        timer_ = timer;
        timerMs_ = ms;
        return vst3::kResultOk;
    }
    vst3::tresult VST3_CALL unregisterTimer(vst3::ITimerHandler* timer) override
    {
        if (timer == timer_)
            timer_ = nullptr;
        return vst3::kResultOk;
    }

    // The X connection's handler, as the host calls it when the descriptor is readable.
    void eventsArrived()
    {
        if (handler_)
            handler_->onFDIsSet(fd_);
    }
    void timerFired()
    {
        if (timer_)
            timer_->onTimer();
    }
    bool registered() const { return handler_ && timer_ && fd_ >= 0 && timerMs_ <= 25; }
    bool unregistered() const { return !handler_ && !timer_; }

  private:
    vst3::IEventHandler* handler_ = nullptr;
    vst3::ITimerHandler* timer_ = nullptr;
    int fd_ = -1;
    uint64_t timerMs_ = 0;
};

class Vst3ViewInHost : public ::testing::Test
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
        effect_->setComponentHandler(&handler_);
        view_ = static_cast<Vst3View*>(effect_->createView(vst3::kEditorViewType));
        ASSERT_NE(view_, nullptr);
        view_->setFrame(&frame_);
        ASSERT_EQ(view_->attached(reinterpret_cast<void*>(parent_), vst3::kPlatformTypeX11),
                  vst3::kResultOk);
    }
    void TearDown() override
    {
        if (view_)
        {
            view_->removed();
            view_->release();
        }
        static_cast<vst3::IComponent*>(effect_)->release();
        platform::installInput(nullptr);
        if (display_ != nullptr)
        {
            XDestroyWindow(display_, parent_);
            XCloseDisplay(display_);
        }
        XSetErrorHandler(previousHandler_);
    }

    Window editorWindow() const
    {
        return reinterpret_cast<Window>(view_->editor().frame()->getWindow()->handle());
    }

    // A press on the knob's centre, then the pointer moves up with the button held; the run
    // loop's next call for the X connection takes the press and plays the whole drag.
    void dragKnob(int index)
    {
        const CRect knob = view_->editor().control(index)->getSize();
        const CPoint centre{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
        pointer_.then(kLButton, centre).glide(kLButton, {centre.h, centre.v - 60}, 20);
        const Window window = editorWindow();
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
        frame_.eventsArrived();
    }

    Display* display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
    Window parent_ = 0;
    PointerScript pointer_;
    Vst3Effect* effect_ = new Vst3Effect;
    RecordingHandler handler_;
    HostFrame frame_;
    Vst3View* view_ = nullptr;
};
} // namespace

TEST_F(Vst3ViewInHost, IsAFixedSizeEditorRunByTheHostsRunLoop)
{
    EXPECT_TRUE(frame_.registered());
    vst3::ViewRect size{};
    ASSERT_EQ(view_->getSize(&size), vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, 754);
    EXPECT_EQ(size.bottom - size.top, 374);
    EXPECT_EQ(view_->canResize(), vst3::kResultFalse);
    vst3::ViewRect bigger{0, 0, 900, 500};
    EXPECT_EQ(view_->checkSizeConstraint(&bigger), vst3::kResultOk);
    EXPECT_EQ(bigger.right, 754);
    EXPECT_EQ(view_->isPlatformTypeSupported(vst3::kPlatformTypeHwnd), vst3::kResultFalse);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display_, editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, 754);
    EXPECT_EQ(view_->removed(), vst3::kResultOk);
    EXPECT_TRUE(frame_.unregistered());
    view_->release();
    view_ = nullptr;
}

TEST_F(Vst3ViewInHost, SendsAKnobsDragToTheHostAsOneGesture)
{
    const double before = effect_->getParamNormalized(kParamLimiterGain);
    dragKnob(kParamLimiterGain);
    const std::string id = std::to_string(kParamLimiterGain);
    ASSERT_GE(handler_.calls.size(), 3u);
    EXPECT_EQ(handler_.calls.front(), "begin " + id);
    EXPECT_EQ(handler_.calls.back(), "end " + id);
    for (size_t i = 1; i + 1 < handler_.calls.size(); ++i)
        EXPECT_EQ(handler_.calls[i], "perform " + id);
    // The knob went up, and the effect holds what the host was told last.
    EXPECT_GT(handler_.performed.back(), before);
    EXPECT_EQ(effect_->getParamNormalized(kParamLimiterGain), handler_.performed.back());
}

// The ceiling knob of the panel switches the stage on: the host learns of the new latency.
TEST_F(Vst3ViewInHost, TellsTheHostOfTheLatencyTheCeilingBrings)
{
    const uint32_t before = effect_->getLatencySamples();
    effect_->editorChange(kParamCeiling, 0.5);
    EXPECT_GT(effect_->getLatencySamples(), before);
    EXPECT_NE(std::find(handler_.calls.begin(), handler_.calls.end(),
                        "restart " + std::to_string(vst3::kLatencyChanged)),
              handler_.calls.end());
}

// A program the host chose reaches the host's parameters from the run loop's timer, outside
// the host's own call.
TEST_F(Vst3ViewInHost, TellsTheHostOfAProgramFromTheRunLoop)
{
    effect_->setParamNormalized(vst3_parameters::kProgramId, 0.5);
    EXPECT_TRUE(handler_.calls.empty());
    frame_.timerFired();
    ASSERT_EQ(handler_.calls.size(), 1u);
    EXPECT_EQ(handler_.calls.front(), "restart " + std::to_string(vst3::kParamValuesChanged));
}

TEST_F(Vst3ViewInHost, SurvivesBeingClosedFromInsideTheDrag)
{
    handler_.onCall = [this]
    {
        if (!view_ || handler_.calls.back().rfind("perform", 0) != 0)
            return;
        Vst3View* view = std::exchange(view_, nullptr);
        view->removed();
        view->release();
    };
    dragKnob(kParamLimiterGain);
    EXPECT_EQ(view_, nullptr);
    EXPECT_TRUE(frame_.unregistered());
}

// The host's side of an X display for the binding's tests: a connection of its own, a
// top-level window to be the parent, and a frame opened in it holding one view that
// records the presses, wheel turns and keys it is given.
#pragma once

// gtest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <functional>
#include <vector>

#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "gui/CView.h"
#include "gui/KeyCode.h"
#include "gui/platform/x11/X11Window.h"
#include "tests/x11/ServerConnection.h"

// Connections the process opened and closed so far (Xlib's calls are wrapped at link time).
int openedDisplays();
int closedDisplays();

class RecordingOwner : public CFrameOwner
{
  public:
    void beginEdit(int32_t) override {}
    void endEdit(int32_t) override {}
    void idlePump() override {}
    int32_t knobMode() const override { return 0; }
    void timerTick() override { ++ticks; }

    int ticks = 0;
};

class RecordingView : public CView
{
  public:
    struct Press
    {
        CPoint where;
        int32_t buttons;
    };
    struct Wheel
    {
        CPoint where;
        int32_t axis;
        float distance;
    };

    RecordingView(const CRect& size, const CColor& colour) : CView(size), colour_(colour) {}

    // Fills the whole size in the colour.
    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext*, CPoint where, int32_t buttons) override
    {
        presses.push_back({where, buttons});
    }
    bool onWheelAxis(CDrawContext*, CPoint where, int32_t axis, float distance) override
    {
        wheels.push_back({where, axis, distance});
        return true;
    }
    int32_t onKeyDown(const CKeyCode& key) override
    {
        keysDown.push_back(key);
        return 1;
    }
    int32_t onKeyUp(const CKeyCode& key) override
    {
        keysUp.push_back(key);
        return 1;
    }
    void setColour(const CColor& colour) { colour_ = colour; }

    std::vector<Press> presses;
    std::vector<Wheel> wheels;
    std::vector<CKeyCode> keysDown;
    std::vector<CKeyCode> keysUp;

  private:
    CColor colour_;
};

// Installs a handler of broken connections for its life, as the host's toolkit does (most
// end the process in it); it must hear of no connection but the host's own.
class HostLossHandler
{
  public:
    HostLossHandler();
    ~HostLossHandler();
    HostLossHandler(const HostLossHandler&) = delete;
    HostLossHandler& operator=(const HostLossHandler&) = delete;

    // The connections it has been handed so far.
    int losses() const;

  private:
    XIOErrorHandler previous_;
};

class X11Fixture : public ::testing::Test
{
  protected:
    static constexpr CRect kFrameSize{0, 0, 200, 100};
    static constexpr CRect kViewSize{20, 10, 60, 50};
    static constexpr CColor kPanel{0, 0, 255, 255};
    static constexpr CColor kRed{255, 0, 0, 255};

    void SetUp() override;
    void TearDown() override;

    // A frame of kFrameSize in the host window with a red view at kViewSize; null window
    // when the binding refused.
    void openFrame(XID parent);
    void closeFrame();
    X11Window* window() const;
    // Polls the binding until condition holds; false after two seconds.
    bool pumpUntil(const std::function<bool()>& condition);
    bool pumpUntilPainted();
    // The pixel of the frame's window at a point, 0x00RRGGBB.
    uint32_t pixelAt(int x, int y);
    void sendButton(unsigned int button, unsigned int state, int x, int y);
    void sendKey(int type, KeySym keysym, unsigned int state);
    // Ends the editor's connection as xkill does: the server closes it and frees its window.
    void endEditorConnection();
    int hostChildren();

    Display* display_ = nullptr;
    Window host_ = 0;
    RecordingOwner owner_;
    CFrame* frame_ = nullptr;
    RecordingView* view_ = nullptr;
};

// A host with a real X window for the editor's end-to-end test: it loads the plug-in binary,
// opens the editor inside a top-level window through the dispatcher, lets xdotool press,
// drag, double-click and turn the wheel as a user would, and checks the automation the
// plug-in reported back. It also refuses bad windows, loses its window under the editor, has
// the server end the editor's connection and opens and closes the editor a hundred times,
// counting X connections.
// Usage: X11Host <plug-in binary> <screenshot.png>; exits 0 when every check held.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/ControlTable.h"
#include "tests/x11/ServerConnection.h"
#include "tools/host/HostHarness.h"
#include "tools/host/PluginLibrary.h"

extern char** environ;

// ------------------------------------------------------------- counted X connections

namespace
{
int openedConnections = 0;
int closedConnections = 0;

template <typename Function> Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

// Every connection of the process, the plug-in's included, is made and closed through these:
// the executable's definitions come first in the dynamic linker's search.
extern "C" __attribute__((visibility("default"))) Display* XOpenDisplay(const char* name)
{
    static const auto real = nextDefinition<Display* (*)(const char*)>("XOpenDisplay");
    Display* display = real(name);
    openedConnections += display != nullptr ? 1 : 0;
    return display;
}

extern "C" __attribute__((visibility("default"))) int XCloseDisplay(Display* display)
{
    static const auto real = nextDefinition<int (*)(Display*)>("XCloseDisplay");
    ++closedConnections;
    return real(display);
}

namespace
{
constexpr int kHostWidth = 800;
constexpr int kHostHeight = 420;
// Every control of the panel is at least 20 pixels wide and high: this far into its
// rectangle the pointer is on it.
constexpr int kInside = 12;
// A linear drag without modifier changes covers a knob's whole range over 360 pixels.
constexpr float kLinearKnobPixels = 360.0f;
constexpr int kDragPixels = 40;
constexpr float kWheelStep = 0.1f;
// Normalised values pass through float once more than the table's doubles.
constexpr float kValueTolerance = 1e-6f;
constexpr int kLinearKnobMode = 2;
constexpr auto kPumpStep = std::chrono::milliseconds(5);
constexpr auto kSettle = std::chrono::milliseconds(200);
constexpr int kOpenCloseRounds = 100;
constexpr int kGridStep = 4;
// Owned by no client, so no window.
constexpr XID kNoWindow = 0x1FFFFF;

int passed = 0;
int failed = 0;
int hostErrors = 0;

// As the toolkits of most hosts do: a broken connection ends the process. The editor's own
// connection must never reach this handler.
int endOnLostConnection(Display*)
{
    std::printf("not ok - the host's handler was given a broken connection: the host ends\n");
    std::_Exit(3);
}

int countHostError(Display*, XErrorEvent*)
{
    ++hostErrors;
    return 0;
}

void check(bool condition, const std::string& what)
{
    (condition ? passed : failed) += 1;
    std::printf("%s - %s\n", condition ? "ok" : "not ok", what.c_str());
}

class TestHost
{
  public:
    TestHost(Display* display, PluginInstance& plugin, HostHarness& harness)
        : display_(display), plugin_(plugin), harness_(harness)
    {
        top_ = makeTopLevel();
    }

    Window makeTopLevel()
    {
        const Window window =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, kHostWidth,
                                kHostHeight, 0, BlackPixel(display_, 0), WhitePixel(display_, 0));
        XStoreName(display_, window, "VRN-07 test host");
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    Window top() const { return top_; }
    bool open(Window parent)
    {
        return plugin_.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1;
    }
    void close() { plugin_.dispatch(effEditClose); }

    // The host's idle loop for a while: editor idle, own events dropped.
    void pump(std::chrono::milliseconds duration)
    {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end)
        {
            step();
        }
    }
    void step()
    {
        plugin_.dispatch(effEditIdle);
        while (XPending(display_) > 0)
        {
            XEvent event;
            XNextEvent(display_, &event);
        }
        std::this_thread::sleep_for(kPumpStep);
    }

    // Runs a program (no shell) while the host keeps idling; true when it exited with 0.
    bool run(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
        {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        {
            return false;
        }
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0)
        {
            step();
        }
        pump(kSettle);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // The editor's window inside parent, or 0.
    Window editorWindow(Window parent) const
    {
        Window root = 0;
        Window up = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(display_, parent, &root, &up, &children, &count) != 0 && count > 0)
        {
            found = children[0];
        }
        if (children != nullptr)
        {
            XFree(children);
        }
        return found;
    }
    int childCount(Window parent) const
    {
        Window root = 0;
        Window up = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(display_, parent, &root, &up, &children, &count);
        if (children != nullptr)
        {
            XFree(children);
        }
        return int(count);
    }

    // How many pixels of a grid over the editor's window show the host window's white
    // background through it (-1 when the window cannot be read): none once it is painted.
    int unpaintedPixels(Window editor) const
    {
        XWindowAttributes attributes;
        if (editor == 0 || XGetWindowAttributes(display_, editor, &attributes) == 0)
        {
            return -1;
        }
        XImage* image = XGetImage(display_, editor, 0, 0, unsigned(attributes.width),
                                  unsigned(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr)
        {
            return -1;
        }
        const unsigned long white = WhitePixel(display_, DefaultScreen(display_));
        int unpainted = 0;
        for (int y = 0; y < attributes.height; y += kGridStep)
        {
            for (int x = 0; x < attributes.width; x += kGridStep)
            {
                unpainted += XGetPixel(image, x, y) == white ? 1 : 0;
            }
        }
        XDestroyImage(image);
        return unpainted;
    }

    // A point of the control of this parameter on the screen.
    std::pair<int, int> controlPoint(int index) const
    {
        const ControlRow& row = findControlRow(index);
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, editorWindow(top_), DefaultRootWindow(display_), row.x,
                              row.y, &x, &y, &child);
        return {x + kInside, y + kInside};
    }

    // The automation and edit calls of one parameter since the last clear, in order.
    std::vector<HostCall> editsOf(int index) const
    {
        std::vector<HostCall> edits;
        for (const HostCall& call : harness_.calls())
        {
            const bool edit = call.opcode == audioMasterAutomate ||
                              call.opcode == audioMasterBeginEdit ||
                              call.opcode == audioMasterEndEdit;
            if (edit && call.index == index)
            {
                edits.push_back(call);
            }
        }
        return edits;
    }
    std::vector<float> automatedValues(int index) const
    {
        std::vector<float> values;
        for (const HostCall& call : editsOf(index))
        {
            if (call.opcode == audioMasterAutomate)
            {
                values.push_back(call.opt);
            }
        }
        return values;
    }
    // One gesture: begin, at least one automated value, end.
    bool bracketed(int index) const
    {
        const std::vector<HostCall> edits = editsOf(index);
        return edits.size() >= 3 && edits.front().opcode == audioMasterBeginEdit &&
               edits.back().opcode == audioMasterEndEdit;
    }

    Display* display() const { return display_; }
    PluginInstance& plugin() { return plugin_; }
    HostHarness& harness() { return harness_; }

  private:
    Display* display_;
    PluginInstance& plugin_;
    HostHarness& harness_;
    Window top_ = 0;
};

std::string xy(int value)
{
    return std::to_string(value);
}

// ------------------------------------------------------------------------- the checks

void refusesWindowsItCannotUse(TestHost& host)
{
    check(!host.open(kNoWindow), "an XID that is no window: the editor does not open");
    const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    check(!host.open(host.top()), "no display: the editor does not open");
    setenv("DISPLAY", display.c_str(), 1);
    check(host.childCount(host.top()) == 0, "a refused open leaves no window behind");
}

bool opensAndPaints(TestHost& host)
{
    check(host.open(host.top()), "effEditOpen with the host window's XID answers 1");
    const Window editor = host.editorWindow(host.top());
    XWindowAttributes attributes{};
    check(editor != 0 && XGetWindowAttributes(host.display(), editor, &attributes) != 0 &&
              attributes.width == 754 && attributes.height == 374,
          "the editor is a 754 by 374 child of the host window");
    host.pump(std::chrono::milliseconds(500));
    check(host.unpaintedPixels(editor) == 0, "the whole panel is painted into the editor's window");
    return editor != 0;
}

void dragRaisesAKnob(TestHost& host)
{
    const int index = kParamLimiterGain;
    const float before = host.plugin().getParameter(index);
    const auto [x, y] = host.controlPoint(index);
    host.harness().clearCalls();
    host.run({"xdotool",
              "mousemove",
              xy(x),
              xy(y),
              "mousedown",
              "1",
              "sleep",
              "0.1",
              "mousemove",
              xy(x),
              xy(y - kDragPixels / 2),
              "sleep",
              "0.1",
              "mousemove",
              xy(x),
              xy(y - kDragPixels),
              "sleep",
              "0.3",
              "mouseup",
              "1"});
    const std::vector<float> values = host.automatedValues(index);
    check(host.bracketed(index), "a knob drag is one gesture: begin edit, automation, end edit");
    check(std::is_sorted(values.begin(), values.end()), "dragging up only raises the knob");
    const float expected = before + float(kDragPixels) / kLinearKnobPixels;
    check(!values.empty() && std::fabs(values.back() - expected) < kValueTolerance,
          "a 40 pixel drag moves a linear knob by a ninth of its range (from " +
              std::to_string(before) + " to " +
              (values.empty() ? std::string("nothing") : std::to_string(values.back())) + ")");
    check(!values.empty() && host.plugin().getParameter(index) == values.back(),
          "the parameter holds the last automated value");
}

void clickTogglesAButton(TestHost& host)
{
    const int index = kParamSafeClip;
    const float before = host.plugin().getParameter(index);
    const auto [x, y] = host.controlPoint(index);
    host.harness().clearCalls();
    host.run({"xdotool", "mousemove", xy(x), xy(y), "click", "1"});
    const std::vector<float> values = host.automatedValues(index);
    check(host.bracketed(index) && values.size() == 1 && values[0] == 1.0f - before,
          "a click on an on/off button automates its other state once");
}

void wheelStepsAKnob(TestHost& host)
{
    const int index = kParamOutputGain;
    const float before = host.plugin().getParameter(index);
    const auto [x, y] = host.controlPoint(index);
    host.harness().clearCalls();
    host.run({"xdotool", "mousemove", xy(x), xy(y), "click", "4"});
    std::vector<float> values = host.automatedValues(index);
    check(host.bracketed(index) && values.size() == 1 &&
              std::fabs(values[0] - (before + kWheelStep)) < kValueTolerance,
          "a wheel notch away from the user raises a knob by one wheel step");
    host.harness().clearCalls();
    host.run({"xdotool", "click", "5"});
    values = host.automatedValues(index);
    check(values.size() == 1 && std::fabs(values[0] - before) < kValueTolerance,
          "a notch back lowers it by the same step");
}

void doubleClickResetsAKnob(TestHost& host)
{
    const int index = kParamLimiterGain;
    const float defaultValue = float(realToNormalized(findControlRow(index).defaultValue, index));
    const auto [x, y] = host.controlPoint(index);
    const bool moved = std::fabs(host.plugin().getParameter(index) - defaultValue) > 0.01f;
    host.harness().clearCalls();
    host.run(
        {"xdotool", "mousemove", xy(x), xy(y), "click", "--repeat", "2", "--delay", "80", "1"});
    const std::vector<float> values = host.automatedValues(index);
    check(moved && !values.empty() && std::fabs(values.back() - defaultValue) < kValueTolerance,
          "a double click puts a knob back to its default");
}

void swappedButtonsSwapTheClick(TestHost& host)
{
    const int index = kParamSafeClip;
    unsigned char original[32];
    const int count = XGetPointerMapping(host.display(), original, int(sizeof(original)));
    if (count < 3)
    {
        check(false, "the pointer has three buttons to swap");
        return;
    }
    std::vector<unsigned char> swapped(original, original + count);
    std::swap(swapped[0], swapped[2]);
    XSetPointerMapping(host.display(), swapped.data(), count);
    XSync(host.display(), False);
    const auto [x, y] = host.controlPoint(index);
    const float before = host.plugin().getParameter(index);
    host.harness().clearCalls();
    host.run({"xdotool", "mousemove", xy(x), xy(y), "click", "1"});
    check(host.automatedValues(index).empty(),
          "with swapped buttons the physical left button is a right click: no toggle");
    host.run({"xdotool", "click", "3"});
    const std::vector<float> values = host.automatedValues(index);
    check(values.size() == 1 && values[0] == 1.0f - before,
          "with swapped buttons the physical right button toggles");
    XSetPointerMapping(host.display(), original, count);
    XSync(host.display(), False);
}

void screenshot(TestHost& host, const std::string& path)
{
    check(host.run({"import", "-window", "root", path}), "screenshot written to " + path);
}

void survivesItsHostWindowGoing(TestHost& host)
{
    host.close();
    const Window doomed = host.makeTopLevel();
    check(host.open(doomed), "the editor opens in a second host window");
    host.pump(std::chrono::milliseconds(200));
    XDestroyWindow(host.display(), doomed);
    XSync(host.display(), False);
    host.pump(std::chrono::milliseconds(300));
    check(true, "the host window destroyed under the open editor: the process lives on");
    host.close();
    check(host.open(host.top()), "the editor opens again afterwards");
    host.pump(std::chrono::milliseconds(100));
    host.close();
}

// What xkill does to the editor's window: the server closes the editor's connection and
// frees its window.
void survivesTheLossOfItsConnection(TestHost& host)
{
    const int opened = openedConnections;
    const int closed = closedConnections;
    const int errors = hostErrors;
    check(host.open(host.top()), "the editor opens for the server to end its connection");
    host.pump(std::chrono::milliseconds(200));
    XKillClient(host.display(), host.editorWindow(host.top()));
    XSync(host.display(), False);
    host.pump(std::chrono::milliseconds(200));
    check(host.childCount(host.top()) == 0,
          "the editor's connection ended under effEditIdle: the process lives on");
    XMapWindow(host.display(), kNoWindow);
    XSync(host.display(), False);
    check(hostErrors - errors == 1, "the host's connection and its error handler still work");
    host.close();
    check(openedConnections - opened == 1 && closedConnections - closed == 1,
          "effEditClose closes the lost connection");
    check(host.open(host.top()), "the editor opens again afterwards");
    host.pump(std::chrono::milliseconds(300));
    check(host.unpaintedPixels(host.editorWindow(host.top())) == 0, "and paints its panel");
    host.close();
}

void opensAndClosesWithoutLeaks(TestHost& host)
{
    const int opened = openedConnections;
    const int closed = closedConnections;
    int opens = 0;
    for (int round = 0; round < kOpenCloseRounds; ++round)
    {
        opens += host.open(host.top()) ? 1 : 0;
        for (int i = 0; i < 4; ++i)
        {
            host.step();
        }
        host.close();
    }
    check(opens == kOpenCloseRounds, "the editor opened in every one of 100 rounds");
    check(openedConnections - opened == kOpenCloseRounds &&
              closedConnections - closed == kOpenCloseRounds,
          "each round opened one X connection and closed it (" +
              std::to_string(openedConnections - opened) + " opened, " +
              std::to_string(closedConnections - closed) + " closed)");
    check(host.childCount(host.top()) == 0, "no editor window is left in the host window");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <plug-in binary> <screenshot.png>\n", argv[0]);
        return 2;
    }
    // Each line as it is known: a sanitizer's report at exit leaves no buffer flushed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Display* display = connectToServer();
    if (display == nullptr)
    {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetIOErrorHandler(&endOnLostConnection);
    XSetErrorHandler(&countHostError);
    // Keeps the binary mapped after the library is closed, so that a leak check at exit
    // still sees its static data and can name its functions.
    dlopen(argv[1], RTLD_NOW | RTLD_NODELETE);
    {
        PluginLibrary library(argv[1]);
        if (!library.loaded())
        {
            std::fprintf(stderr, "cannot load %s: %s\n", argv[1], library.error().c_str());
            return 2;
        }
        HostHarness harness;
        PluginInstance plugin(harness.create(library.entry()));
        if (plugin.effect() == nullptr)
        {
            std::fprintf(stderr, "the plug-in made no instance\n");
            return 2;
        }
        plugin.dispatch(effMainsChanged, 0, 1);
        plugin.dispatch(effSetEditKnobMode, 0, kLinearKnobMode);
        TestHost host(display, plugin, harness);

        refusesWindowsItCannotUse(host);
        if (opensAndPaints(host))
        {
            dragRaisesAKnob(host);
            clickTogglesAButton(host);
            wheelStepsAKnob(host);
            doubleClickResetsAKnob(host);
            swappedButtonsSwapTheClick(host);
            screenshot(host, argv[2]);
        }
        survivesItsHostWindowGoing(host);
        survivesTheLossOfItsConnection(host);
        opensAndClosesWithoutLeaks(host);
        plugin.close();
    }
    XCloseDisplay(display);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

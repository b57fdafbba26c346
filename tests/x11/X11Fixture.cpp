#include "tests/x11/X11Fixture.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "gui/CDrawContext.h"
#include "gui/PixelImage.h"

namespace
{
int opened = 0;
int closed = 0;
int hostLosses = 0;
constexpr auto kPumpTimeout = std::chrono::seconds(2);
constexpr auto kPumpStep = std::chrono::milliseconds(5);

int countHostLoss(Display*)
{
    ++hostLosses;
    return 0;
}
} // namespace

extern "C" Display* __real_XOpenDisplay(const char* name);
extern "C" int __real_XCloseDisplay(Display* display);

extern "C" Display* __wrap_XOpenDisplay(const char* name)
{
    Display* display = __real_XOpenDisplay(name);
    opened += display != nullptr ? 1 : 0;
    return display;
}

extern "C" int __wrap_XCloseDisplay(Display* display)
{
    ++closed;
    return __real_XCloseDisplay(display);
}

int openedDisplays()
{
    return opened;
}

int closedDisplays()
{
    return closed;
}

HostLossHandler::HostLossHandler() : previous_(XSetIOErrorHandler(&countHostLoss))
{
    hostLosses = 0;
}

HostLossHandler::~HostLossHandler()
{
    XSetIOErrorHandler(previous_);
}

int HostLossHandler::losses() const
{
    return hostLosses;
}

void RecordingView::draw(CDrawContext* context)
{
    context->setFillColor(colour_);
    // fillRect leaves the top row and left column to an outline: start one pixel out.
    context->fillRect({size_.left - 1, size_.top - 1, size_.right, size_.bottom});
    setDirty(false);
}

void X11Fixture::SetUp()
{
    display_ = connectToServer();
    ASSERT_NE(display_, nullptr) << "these tests need an X display (run them under xvfb-run)";
    host_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 400, 300, 0, 0, 0);
    XMapWindow(display_, host_);
    XSync(display_, False);
}

void X11Fixture::TearDown()
{
    closeFrame();
    if (display_ != nullptr)
    {
        if (host_ != 0)
        {
            XDestroyWindow(display_, host_);
        }
        XCloseDisplay(display_);
    }
}

void X11Fixture::openFrame(XID parent)
{
    frame_ = new CFrame(kFrameSize, reinterpret_cast<void*>(parent), &owner_);
    frame_->setPanelColor(kPanel);
    view_ = new RecordingView(kViewSize, kRed);
    frame_->addChild(view_);
}

void X11Fixture::closeFrame()
{
    if (frame_ != nullptr)
    {
        frame_->release();
        frame_ = nullptr;
        view_ = nullptr;
    }
}

X11Window* X11Fixture::window() const
{
    return frame_ != nullptr ? dynamic_cast<X11Window*>(frame_->getWindow()) : nullptr;
}

bool X11Fixture::pumpUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPumpTimeout;
    while (std::chrono::steady_clock::now() < deadline)
    {
        XSync(display_, False);
        if (window() != nullptr)
        {
            window()->pollEvents();
        }
        if (condition())
        {
            return true;
        }
        std::this_thread::sleep_for(kPumpStep);
    }
    return false;
}

bool X11Fixture::pumpUntilPainted()
{
    const int x = (kViewSize.left + kViewSize.right) / 2;
    const int y = (kViewSize.top + kViewSize.bottom) / 2;
    return pumpUntil([&] { return pixelAt(x, y) == pixelOf(kRed); });
}

uint32_t X11Fixture::pixelAt(int x, int y)
{
    XImage* image = XGetImage(display_, window()->window(), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        return 0xFFFFFFFF;
    }
    const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

void X11Fixture::sendButton(unsigned int button, unsigned int state, int x, int y)
{
    XEvent event{};
    event.xbutton.type = ButtonPress;
    event.xbutton.display = display_;
    event.xbutton.window = window()->window();
    event.xbutton.root = DefaultRootWindow(display_);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.state = state;
    event.xbutton.button = button;
    event.xbutton.same_screen = True;
    XSendEvent(display_, window()->window(), False, ButtonPressMask, &event);
    XFlush(display_);
}

void X11Fixture::sendKey(int type, KeySym keysym, unsigned int state)
{
    XEvent event{};
    event.xkey.type = type;
    event.xkey.display = display_;
    event.xkey.window = window()->window();
    event.xkey.root = DefaultRootWindow(display_);
    event.xkey.state = state;
    event.xkey.keycode = XKeysymToKeycode(display_, keysym);
    event.xkey.same_screen = True;
    XSendEvent(display_, window()->window(), False,
               type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    XFlush(display_);
}

void X11Fixture::endEditorConnection()
{
    XKillClient(display_, window()->window());
    XSync(display_, False);
}

int X11Fixture::hostChildren()
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, host_, &root, &parent, &children, &count) == 0)
    {
        return -1;
    }
    if (children != nullptr)
    {
        XFree(children);
    }
    return int(count);
}

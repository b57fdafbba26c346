#include "gui/platform/x11/X11Window.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "gui/platform/InputSource.h"
#include "gui/platform/x11/X11Translate.h"
#include "gui/platform/x11/X11WindowDevice.h"
#include "gui/platform/x11/XErrorTrap.h"

namespace
{
constexpr long kEventMask =
    ExposureMask | ButtonPressMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask;
// The back buffer's pixels are 0x00RRGGBB words: a 24-bit true-colour visual with these
// masks takes them as they are.
constexpr unsigned long kRedMask = 0xFF0000;
constexpr unsigned long kGreenMask = 0x00FF00;
constexpr unsigned long kBlueMask = 0x0000FF;
constexpr int kDepth = 24;
constexpr int kBitsPerPixel = 32;
constexpr size_t kKeyTextBytes = 8;
constexpr uint32_t kTimerPeriodMs = 25;

// The open windows of the process, oldest first (user-interface thread only).
std::vector<X11Window*>& openWindows()
{
    static std::vector<X11Window*> windows;
    return windows;
}

// A parent this much larger than its child is a window of its own, not a frame around it.
constexpr int kMaxOuterSlack = 60;

// The parent of window, or 0 when it has none or the query fails.
Window parentOf(Display* display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0)
    {
        return 0;
    }
    if (children != nullptr)
    {
        XFree(children);
    }
    return parent;
}

bool isInput(const XEvent& event)
{
    return event.type == ButtonPress || event.type == KeyPress || event.type == KeyRelease;
}

Bool isNotInput(Display*, XEvent* event, XPointer)
{
    return isInput(*event) ? False : True;
}
} // namespace

std::unique_ptr<X11Window> X11Window::create(XID parent, CFrame& frame)
{
    std::unique_ptr<XConnection> connection = XConnection::open();
    if (connection == nullptr)
    {
        return nullptr;
    }
    const CRect size = frame.getSize();
    std::unique_ptr<X11Window> window(
        new X11Window(std::move(connection), frame, size.width(), size.height()));
    if (!window->build(parent))
    {
        return nullptr;
    }
    openWindows().push_back(window.get());
    return window;
}

X11Window::X11Window(std::unique_ptr<XConnection> connection, CFrame& frame, int32_t width,
                     int32_t height)
    : connection_(std::move(connection)), display_(connection_->display()), frame_(frame),
      lastTimerTick_(platform::currentInput().ticks())
{
    backBuffer_.width = width;
    backBuffer_.height = height;
    backBuffer_.pixels.assign(size_t(width) * size_t(height), 0);
    sent_.assign(backBuffer_.pixels.size(), 0);
}

bool X11Window::build(XID parent)
{
    XErrorTrap trap(display_);
    XWindowAttributes parentAttributes;
    if (parent == 0 || XGetWindowAttributes(display_, parent, &parentAttributes) == 0)
    {
        return false;
    }
    XVisualInfo visual;
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    if (XMatchVisualInfo(display_, screen, kDepth, TrueColor, &visual) == 0 ||
        visual.red_mask != kRedMask || visual.green_mask != kGreenMask ||
        visual.blue_mask != kBlueMask)
    {
        return false;
    }
    root_ = parentAttributes.root;
    colormap_ = XCreateColormap(display_, root_, visual.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    attributes.event_mask = kEventMask;
    window_ = XCreateWindow(display_, parent, 0, 0, unsigned(backBuffer_.width),
                            unsigned(backBuffer_.height), 0, kDepth, InputOutput, visual.visual,
                            CWColormap | CWBorderPixel | CWEventMask, &attributes);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    visual_ = visual.visual;
    if (!makeImage())
    {
        return false;
    }
    XMapWindow(display_, window_);
    return !trap.failedAfterSync();
}

// An image over the back buffer's pixels, for copying them to the window.
bool X11Window::makeImage()
{
    image_ = XCreateImage(display_, visual_, kDepth, ZPixmap, 0,
                          reinterpret_cast<char*>(backBuffer_.pixels.data()),
                          unsigned(backBuffer_.width), unsigned(backBuffer_.height), kBitsPerPixel,
                          backBuffer_.width * int(sizeof(uint32_t)));
    if (image_ == nullptr || image_->bits_per_pixel != kBitsPerPixel)
    {
        return false;
    }
    // The words are in this machine's byte order; Xlib converts when the server's differs.
    image_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    return true;
}

void X11Window::releaseImage()
{
    if (image_ != nullptr)
    {
        // The pixels belong to the back buffer, not to the image.
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
    }
}

X11Window::~X11Window()
{
    std::erase(openWindows(), this);
    releaseImage();
    if (connection_->lost())
    {
        // The server freed the window and the colour map with the connection. The GC's memory
        // is this process's: XFreeGC only queues its request, which is never sent.
        if (gc_ != nullptr)
        {
            XFreeGC(display_, gc_);
        }
        return;
    }
    XErrorTrap trap(display_);
    if (gc_ != nullptr)
    {
        XFreeGC(display_, gc_);
    }
    // Already gone when the host destroyed its window first; the trap takes the error.
    if (window_ != 0)
    {
        XDestroyWindow(display_, window_);
    }
    if (colormap_ != 0)
    {
        XFreeColormap(display_, colormap_);
    }
}

X11Window* X11Window::latest()
{
    return openWindows().empty() ? nullptr : openWindows().back();
}

std::unique_ptr<DrawDevice> X11Window::createDevice()
{
    if (lost())
    {
        return nullptr;
    }
    return std::make_unique<X11WindowDevice>(backBuffer_, *this);
}

CPoint X11Window::screenOrigin() const
{
    if (lost())
    {
        return {};
    }
    XErrorTrap trap(display_);
    int x = 0;
    int y = 0;
    Window child = 0;
    if (XTranslateCoordinates(display_, window_, root_, 0, 0, &x, &y, &child) == 0)
    {
        return {};
    }
    return {x, y};
}

void X11Window::resize(int32_t width, int32_t height, bool)
{
    if (lost())
    {
        return;
    }
    XErrorTrap trap(display_);
    releaseImage();
    backBuffer_.width = width;
    backBuffer_.height = height;
    backBuffer_.pixels.assign(size_t(width) * size_t(height), 0);
    sent_.assign(backBuffer_.pixels.size(), 0);
    sentWhole_ = false;
    painted_ = false;
    XResizeWindow(display_, window_, unsigned(width), unsigned(height));
    if (!makeImage() || trap.failedAfterSync())
    {
        lose();
    }
}

bool X11Window::outerPosition(CPoint& where) const
{
    if (lost())
    {
        return false;
    }
    XErrorTrap trap(display_);
    XWindowAttributes frame;
    if (XGetWindowAttributes(display_, window_, &frame) == 0)
    {
        return false;
    }
    Window outer = window_;
    XWindowAttributes outerAttributes = frame;
    for (Window parent = parentOf(display_, outer); parent != 0 && parent != root_;
         parent = parentOf(display_, outer))
    {
        XWindowAttributes parentAttributes;
        if (outerAttributes.border_width > 0 ||
            XGetWindowAttributes(display_, parent, &parentAttributes) == 0 ||
            std::abs(parentAttributes.width - frame.width) > kMaxOuterSlack ||
            std::abs(parentAttributes.height - frame.height) > kMaxOuterSlack)
        {
            break;
        }
        outer = parent;
        outerAttributes = parentAttributes;
    }
    where = {outerAttributes.x, outerAttributes.y};
    return !trap.failedAfterSync();
}

bool X11Window::parentBounds(CRect& bounds) const
{
    if (lost())
    {
        return false;
    }
    XErrorTrap trap(display_);
    const Window parent = parentOf(display_, window_);
    XWindowAttributes attributes;
    if (parent == 0 || XGetWindowAttributes(display_, parent, &attributes) == 0 ||
        trap.failedAfterSync())
    {
        return false;
    }
    const int border = 2 * attributes.border_width;
    bounds =
        rectAt(attributes.x, attributes.y, attributes.width + border, attributes.height + border);
    return true;
}

void X11Window::show(const CRect& area)
{
    const CRect shown = area.intersected({0, 0, backBuffer_.width, backBuffer_.height});
    if (!shown.isEmpty() && !alreadySent(shown))
    {
        send(shown);
    }
}

// Views are redrawn on every tick whether or not they moved (the waveform viewer always is);
// an area that comes out as it was is not sent again.
bool X11Window::alreadySent(const CRect& area) const
{
    if (!sentWhole_)
    {
        return false;
    }
    const size_t width = size_t(area.width());
    for (int32_t y = area.top; y < area.bottom; ++y)
    {
        const size_t start = size_t(y) * size_t(backBuffer_.width) + size_t(area.left);
        if (!std::equal(backBuffer_.pixels.begin() + start,
                        backBuffer_.pixels.begin() + start + width, sent_.begin() + start))
        {
            return false;
        }
    }
    return true;
}

void X11Window::send(const CRect& area)
{
    if (lost() || image_ == nullptr)
    {
        return;
    }
    XErrorTrap trap(display_);
    XPutImage(display_, window_, gc_, image_, area.left, area.top, area.left, area.top,
              unsigned(area.width()), unsigned(area.height()));
    if (trap.failedAfterSync())
    {
        lose();
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y)
    {
        const size_t start = size_t(y) * size_t(backBuffer_.width) + size_t(area.left);
        std::copy_n(backBuffer_.pixels.begin() + start, area.width(), sent_.begin() + start);
    }
    sentWhole_ = sentWhole_ || area == CRect{0, 0, backBuffer_.width, backBuffer_.height};
}

void X11Window::pollEvents()
{
    // Asked before Xlib, which would find the loss only in the middle of a call.
    if (!lost_ && connection_->checkLost())
    {
        lose();
    }
    if (lost_)
    {
        return;
    }
    std::optional<CRect> exposed;
    {
        XErrorTrap trap(display_);
        while (!lost() && XPending(display_) > 0)
        {
            XEvent event;
            if (handlingPress_)
            {
                if (XCheckIfEvent(display_, &event, &isNotInput, nullptr) == False)
                {
                    break;
                }
            }
            else
            {
                XNextEvent(display_, &event);
            }
            dispatch(event, exposed);
        }
        if (trap.failedAfterSync())
        {
            lose();
        }
    }
    if (exposed && !lost())
    {
        repaint(*exposed);
    }
    if (!handlingPress_ && !lost())
    {
        runTimer();
    }
}

bool X11Window::queryPointer(CPoint& position, unsigned int& mask)
{
    if (lost())
    {
        return false;
    }
    XErrorTrap trap(display_);
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    // On another screen the call answers false, yet the root position and mask still hold.
    XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    if (trap.firstError() != 0 || trap.connectionLost())
    {
        return false;
    }
    position = {rootX, rootY};
    return true;
}

void X11Window::runTimer()
{
    const uint32_t now = platform::currentInput().ticks();
    if (now - lastTimerTick_ < kTimerPeriodMs || frame_.getEditor() == nullptr)
    {
        return;
    }
    lastTimerTick_ = now;
    frame_.getEditor()->timerTick();
}

void X11Window::dispatch(const XEvent& event, std::optional<CRect>& exposed)
{
    if (event.type == MappingNotify)
    {
        // Sent to every client: key events must be read with the new keyboard mapping.
        XMappingEvent copy = event.xmapping;
        XRefreshKeyboardMapping(&copy);
        return;
    }
    if (event.xany.window != window_)
    {
        return;
    }
    switch (event.type)
    {
    case Expose:
    {
        const CRect area =
            rectAt(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
        exposed = exposed ? unionOf(*exposed, area) : area;
        break;
    }
    case ButtonPress:
        press(event.xbutton);
        break;
    case KeyPress:
    case KeyRelease:
    {
        XKeyEvent copy = event.xkey;
        key(copy);
        break;
    }
    case DestroyNotify:
        lose();
        break;
    default:
        break;
    }
}

void X11Window::press(const XButtonEvent& event)
{
    if (!frame_.isOpen())
    {
        return;
    }
    const CPoint where{event.x, event.y};
    handlingPress_ = true;
    CDrawContext context(&frame_);
    if (const std::optional<float> distance = x11::wheelDistance(event.button))
    {
        frame_.onWheelAxis(&context, where, kMouseWheelAxisY, *distance);
    }
    else if (event.button >= Button1 && event.button <= Button3)
    {
        // The word of the event itself: a quick click may be over before the press is
        // handled, and the pointer's state would then show no button.
        frame_.onMouseDown(&context, where, x11::pressWord(event.button, event.state));
    }
    handlingPress_ = false;
}

void X11Window::key(XKeyEvent& event)
{
    if (!frame_.isOpen())
    {
        return;
    }
    char text[kKeyTextBytes] = {};
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event, text, int(sizeof(text)), &keysym, nullptr);
    const CKeyCode code = x11::keyCodeOf(keysym, event.state, length == 1 ? text[0] : '\0');
    if (event.type == KeyPress)
    {
        frame_.onKeyDown(code);
    }
    else
    {
        frame_.onKeyUp(code);
    }
}

void X11Window::repaint(const CRect& area)
{
    if (!frame_.isOpen())
    {
        return;
    }
    if (!painted_)
    {
        // The first exposure draws the whole frame into the buffer, which the drawing pass
        // shows; from then on every pass keeps the buffer current.
        painted_ = true;
        CDrawContext context(&frame_);
        frame_.draw(&context);
        return;
    }
    // What the window showed there is gone.
    send(area.intersected({0, 0, backBuffer_.width, backBuffer_.height}));
}

void X11Window::lose()
{
    lost_ = true;
    frame_.setOpen(false);
}

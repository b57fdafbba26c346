#include "gui/platform/win32/Win32FrameWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "gui/COffscreenContext.h"
#include "gui/MouseButtons.h"
#include "gui/platform/win32/DropTarget.h"
#include "gui/platform/win32/GdiDevice.h"
#include "gui/platform/win32/ImageLibrary.h"
#include "gui/platform/win32/ModuleInstance.h"

namespace
{
constexpr UINT_PTR kTickTimerId = 1;
// Window sizes beyond what GDI coordinates hold are refused.
constexpr int32_t kMaxWindowExtent = 32767;
// A parent this much larger than its child is not a frame around it but a window of its own
// (a host's panel, the desktop): the walk up the parents stops there.
constexpr LONG kMaxBorder = 80;
constexpr LONG kMaxOuterSlack = 60;

// Windows of the module's class; written on the user-interface thread only.
int classUses = 0;

void holdClass(WNDPROC procedure)
{
    if (classUses++ > 0)
    {
        return;
    }
    WNDCLASSA windowClass{};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = Win32FrameWindow::className();
    // A failure shows when the window cannot be made.
    RegisterClassA(&windowClass);
}

void releaseClass()
{
    if (--classUses == 0)
    {
        UnregisterClassA(Win32FrameWindow::className(), thisModule());
    }
}

SIZE outerSize(HWND window)
{
    RECT outer{};
    GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void setWindowSize(HWND window, LONG width, LONG height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool isMdiClient(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, int(sizeof(name)));
    return lstrcmpiA(name, "MDIClient") == 0;
}

LPCSTR cursorResource(int32_t type)
{
    switch (type)
    {
    case kCursorWait:
        return IDC_WAIT;
    case kCursorHSize:
        return IDC_SIZEWE;
    case kCursorVSize:
        return IDC_SIZENS;
    case kCursorSizeAll:
        return IDC_SIZEALL;
    case kCursorNESWSize:
        return IDC_SIZENESW;
    case kCursorNWSESize:
        return IDC_SIZENWSE;
    case kCursorNotAllowed:
        return IDC_NO;
    case kCursorHand:
        return IDC_HAND;
    default:
        return nullptr;
    }
}
} // namespace

const char* Win32FrameWindow::className()
{
    static const struct Name
    {
        Name() { std::snprintf(text, sizeof(text), "Plugin%p", static_cast<void*>(thisModule())); }
        char text[40];
    } name;
    return name.text;
}

std::unique_ptr<Win32FrameWindow> Win32FrameWindow::create(HWND parent, CFrame& frame)
{
    if (parent == nullptr || !IsWindow(parent))
    {
        return nullptr;
    }
    std::unique_ptr<Win32FrameWindow> window(new (std::nothrow) Win32FrameWindow(frame));
    if (!window || !window->open(parent))
    {
        return nullptr;
    }
    return window;
}

Win32FrameWindow::Win32FrameWindow(CFrame& frame) : frame_(frame)
{
    // OLE may already be set up on this thread (the answer is then S_FALSE, which needs its
    // uninitialise as well); on a thread of the other apartment model it fails, and then
    // must not be uninitialised.
    oleReady_ = SUCCEEDED(OleInitialize(nullptr));
    ImageLibrary::acquire();
}

bool Win32FrameWindow::open(HWND parent)
{
    const CRect size = frame_.getSize();
    if (size.isEmpty() || size.width() > kMaxWindowExtent || size.height() > kMaxWindowExtent)
    {
        return false;
    }
    holdClass(&Win32FrameWindow::windowProcedure);
    classHeld_ = true;
    window_ = CreateWindowExA(0, className(), "Window",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                              size.width(), size.height(), parent, nullptr, thisModule(), nullptr);
    if (window_ == nullptr)
    {
        return false;
    }
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(window_, kTickTimerId, kTickMs, nullptr);
    setDropActive(true);
    return true;
}

Win32FrameWindow::~Win32FrameWindow()
{
    if (cursorChanged_)
    {
        SetCursor(defaultCursor_);
    }
    setDropActive(false);
    releaseBackBuffer();
    if (window_ != nullptr)
    {
        KillTimer(window_, kTickTimerId);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (classHeld_)
    {
        releaseClass();
    }
    ImageLibrary::release();
    if (dropTarget_ != nullptr)
    {
        dropTarget_->Release();
    }
    if (oleReady_)
    {
        OleUninitialize();
    }
}

std::unique_ptr<DrawDevice> Win32FrameWindow::createDevice()
{
    if (paintDc_ != nullptr)
    {
        RECT client{};
        GetClientRect(window_, &client);
        return std::make_unique<GdiDevice>(paintDc_, CRect{0, 0, client.right, client.bottom});
    }
    return GdiDevice::createForWindow(window_);
}

CPoint Win32FrameWindow::screenOrigin() const
{
    POINT origin{};
    if (window_ != nullptr)
    {
        ClientToScreen(window_, &origin);
    }
    return {origin.x, origin.y};
}

void Win32FrameWindow::releaseBackBuffer()
{
    if (backBuffer_ != nullptr)
    {
        backBuffer_->release();
        backBuffer_ = nullptr;
    }
}

void Win32FrameWindow::resize(int32_t width, int32_t height, bool hostResized)
{
    releaseBackBuffer();
    if (window_ == nullptr)
    {
        return;
    }
    if (hostResized)
    {
        setWindowSize(window_, width, height);
    }
    else
    {
        fitAncestors(width, height);
    }
    InvalidateRect(window_, nullptr, FALSE);
}

// Resizes the frame's window and the windows around it, each by the frame's new size plus
// the borders found so far, up to the first window whose border matches a dialog frame.
// Each border is measured before its window is resized: measured after, a growing window
// would see a negative border and a shrinking one a border too large to go on.
void Win32FrameWindow::fitAncestors(int32_t width, int32_t height)
{
    const LONG dialogBorder = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    LONG borderWidth = 0;
    LONG borderHeight = 0;
    HWND current = window_;
    while (dialogBorder != 0)
    {
        HWND parent = GetParent(current);
        if (parent == nullptr || isMdiClient(parent))
        {
            break;
        }
        const SIZE parentSize = outerSize(parent);
        const SIZE currentSize = outerSize(current);
        setWindowSize(current, width + borderWidth, height + borderHeight);
        borderWidth += parentSize.cx - currentSize.cx;
        borderHeight += parentSize.cy - currentSize.cy;
        if (borderWidth > kMaxBorder || borderHeight > kMaxBorder)
        {
            return;
        }
        borderWidth = std::max(borderWidth, LONG(0));
        borderHeight = std::max(borderHeight, LONG(0));
        current = parent;
        if (borderWidth == dialogBorder)
        {
            break;
        }
    }
    setWindowSize(current, width + borderWidth, height + borderHeight);
}

bool Win32FrameWindow::outerPosition(CPoint& where) const
{
    if (window_ == nullptr)
    {
        return false;
    }
    const SIZE frameSize = outerSize(window_);
    HWND outer = window_;
    for (HWND parent = GetParent(outer); parent != nullptr; parent = GetParent(outer))
    {
        const SIZE parentSize = outerSize(parent);
        const bool framed = (GetWindowLongA(outer, GWL_STYLE) & WS_CAPTION) != 0;
        if (framed || std::abs(parentSize.cx - frameSize.cx) > kMaxOuterSlack ||
            std::abs(parentSize.cy - frameSize.cy) > kMaxOuterSlack)
        {
            break;
        }
        outer = parent;
    }
    RECT bounds{};
    GetWindowRect(outer, &bounds);
    POINT corner{bounds.left, bounds.top};
    MapWindowPoints(HWND_DESKTOP, GetParent(outer), &corner, 1);
    where = {corner.x, corner.y};
    return true;
}

bool Win32FrameWindow::parentBounds(CRect& bounds) const
{
    HWND parent = window_ != nullptr ? GetParent(window_) : nullptr;
    RECT outer{};
    if (parent == nullptr || !GetWindowRect(parent, &outer))
    {
        return false;
    }
    POINT corner{outer.left, outer.top};
    MapWindowPoints(HWND_DESKTOP, GetParent(parent), &corner, 1);
    bounds = rectAt(corner.x, corner.y, outer.right - outer.left, outer.bottom - outer.top);
    return true;
}

void Win32FrameWindow::dispatchPendingPaint()
{
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
    {
        DispatchMessageA(&message);
    }
}

void Win32FrameWindow::setCursor(int32_t type)
{
    if (!cursorChanged_)
    {
        defaultCursor_ = GetCursor();
        cursorChanged_ = true;
    }
    const LPCSTR resource = cursorResource(type);
    SetCursor(resource != nullptr ? LoadCursorA(nullptr, resource) : defaultCursor_);
}

bool Win32FrameWindow::setDropActive(bool on)
{
    if (!on && !dropRegistered_)
    {
        return true;
    }
    if (window_ == nullptr)
    {
        return false;
    }
    if (dropRegistered_)
    {
        RevokeDragDrop(window_);
        dropRegistered_ = false;
    }
    if (on && oleReady_)
    {
        if (dropTarget_ == nullptr)
        {
            dropTarget_ = new (std::nothrow) DropTarget;
        }
        dropRegistered_ =
            dropTarget_ != nullptr && SUCCEEDED(RegisterDragDrop(window_, dropTarget_));
    }
    return true;
}

LRESULT CALLBACK Win32FrameWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam)
{
    auto* binding = reinterpret_cast<Win32FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (binding == nullptr)
    {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return binding->handleMessage(window, message, wParam, lParam);
}

LRESULT Win32FrameWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
        return paint(wParam, lParam);
    case WM_ERASEBKGND:
        // The frame paints every pixel; erasing first would only flicker.
        return 1;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return press(lParam);
    case WM_MOUSEWHEEL:
        return wheel(wParam, lParam);
    case WM_TIMER:
        if (wParam == kTickTimerId && frame_.isOpen() && frame_.getEditor() != nullptr)
        {
            frame_.getEditor()->timerTick();
        }
        return 0;
    case WM_DESTROY:
        // The host destroys its window first: stop drawing and let go of the window.
        frame_.setOpen(false);
        windowGone();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32FrameWindow::windowGone()
{
    KillTimer(window_, kTickTimerId);
    setDropActive(false);
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
}

LRESULT Win32FrameWindow::paint(WPARAM wParam, LPARAM lParam)
{
    if (!GetUpdateRect(window_, nullptr, FALSE))
    {
        return DefWindowProcA(window_, WM_PAINT, wParam, lParam);
    }
    PAINTSTRUCT paintPass{};
    HDC dc = BeginPaint(window_, &paintPass);
    if (dc == nullptr)
    {
        return 0;
    }
    paintDc_ = dc;
    const RECT& area = paintPass.rcPaint;
    const CRect update{area.left, area.top, area.right, area.bottom};
    if (backBuffer_ == nullptr)
    {
        const CRect size = frame_.getSize();
        backBuffer_ =
            new COffscreenContext(&frame_, size.width(), size.height(), frame_.getPanelColor());
    }
    if (backBuffer_->device() != nullptr)
    {
        frame_.drawPart(backBuffer_, update);
        CDrawContext screen(&frame_);
        backBuffer_->copyTo(&screen, update, update.topLeft());
    }
    else
    {
        CDrawContext screen(&frame_);
        frame_.drawPart(&screen, update);
    }
    paintDc_ = nullptr;
    EndPaint(window_, &paintPass);
    return 0;
}

LRESULT Win32FrameWindow::press(LPARAM lParam)
{
    CDrawContext context(&frame_);
    frame_.onMouseDown(&context, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, kReadButtons);
    return 0;
}

LRESULT Win32FrameWindow::wheel(WPARAM wParam, LPARAM lParam)
{
    // The message carries the pointer in screen coordinates; the views want the frame's.
    POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window_, &where);
    const float distance = float(GET_WHEEL_DELTA_WPARAM(wParam)) / float(WHEEL_DELTA);
    CDrawContext context(&frame_);
    if (frame_.onWheelAxis(&context, {where.x, where.y}, kMouseWheelAxisY, distance))
    {
        return 0;
    }
    // Not taken by a view: the parent (the host) may scroll.
    return DefWindowProcA(window_, WM_MOUSEWHEEL, wParam, lParam);
}

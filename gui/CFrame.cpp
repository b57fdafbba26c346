#include "gui/CFrame.h"

#include "gui/CFrameOwner.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/InputSource.h"
#include "gui/platform/Platform.h"

namespace
{
// The back buffers of a frame this large take 256 MB; larger sizes are refused.
constexpr int32_t kMaxFrameSide = 8192;

// Draws with the given context, or with a window context made for the call.
template <typename Draw> void withContext(CFrame* frame, CDrawContext* context, Draw draw)
{
    if (context != nullptr)
    {
        draw(context);
        return;
    }
    auto* window = new CDrawContext(frame);
    draw(window);
    window->release();
}
} // namespace

CFrame::CFrame(const CRect& size, void* parentWindow, CFrameOwner* editor)
    : CViewContainer(size, this), editor_(editor), parentWindow_(parentWindow)
{
    window_ = platform::createFrameWindow(parentWindow, *this);
}

CFrame::~CFrame()
{
    // While this is still a whole frame: removing a child asks the frame about its focus.
    modalView_ = nullptr;
    setFocusView(nullptr);
    removeAllChildren(true);
    releaseViewRedrawContext();
    window_.reset();
}

void CFrame::releaseViewRedrawContext()
{
    if (offscreen_ != nullptr)
    {
        offscreen_->release();
        offscreen_ = nullptr;
    }
}

void CFrame::idle()
{
    if (window_)
        window_->pollEvents();
    if (!open_ || firstDraw_ || !isDirty())
    {
        return;
    }
    auto* window = new CDrawContext(this);
    redrawIfDirty(window);
    window->release();
}

void CFrame::idlePump()
{
    if (editor_ != nullptr)
    {
        editor_->idlePump();
    }
}

void CFrame::dispatchPendingPaint()
{
    if (window_)
    {
        window_->dispatchPendingPaint();
    }
}

uint32_t CFrame::getTicks() const
{
    return editor_ != nullptr ? platform::currentInput().ticks() : 0;
}

int32_t CFrame::knobMode() const
{
    return editor_ != nullptr ? editor_->knobMode() : 0;
}

bool CFrame::setModalView(CView* view)
{
    if (view != nullptr && modalView_ != nullptr)
    {
        return false;
    }
    modalView_ = view;
    return true;
}

void CFrame::beginEdit(int32_t tag)
{
    if (editor_ != nullptr)
    {
        editor_->beginEdit(tag);
    }
}

void CFrame::endEdit(int32_t tag)
{
    if (editor_ != nullptr)
    {
        editor_->endEdit(tag);
    }
}

bool CFrame::getMousePosition(CPoint& where) const
{
    where = platform::currentInput().cursorPosition();
    if (window_)
    {
        where -= window_->screenOrigin();
    }
    return true;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView_)
    {
        return;
    }
    CView* previous = focusView_;
    focusView_ = view;
    if (view != nullptr)
    {
        view->focusGained(nullptr);
        if (view->acceptsFocus())
        {
            view->setDirty(true);
        }
    }
    if (previous != nullptr)
    {
        previous->focusLost(nullptr);
        if (previous->acceptsFocus())
        {
            previous->setDirty(true);
        }
    }
}

void CFrame::invalidate(const CRect& rect)
{
    for (CView* child : children())
    {
        if (child->intersects(rect))
        {
            child->setDirty(true);
        }
    }
}

bool CFrame::setUpdateInhibit(bool inhibit)
{
    const bool previous = updateInhibited_;
    updateInhibited_ = inhibit;
    return previous;
}

bool CFrame::resize(int32_t width, int32_t height)
{
    const bool unchanged = width == size_.width() && height == size_.height();
    if (!open_ || !window_ || unchanged || width <= 0 || height <= 0 || width > kMaxFrameSide ||
        height > kMaxFrameSide)
    {
        return false;
    }
    const CallDepth::Scope handler(handlers_);
    releaseViewRedrawContext();
    const bool hostResized = editor_ != nullptr && editor_->sizeWindow(width, height);
    const CRect resized{0, 0, width, height};
    setSize(resized);
    setMouseArea(resized);
    window_->resize(width, height, hostResized);
    return true;
}

bool CFrame::getPosition(int32_t& x, int32_t& y) const
{
    CPoint corner;
    if (!open_ || !window_ || !window_->outerPosition(corner))
    {
        return false;
    }
    x = corner.h;
    y = corner.v;
    return true;
}

bool CFrame::getOuterSize(CRect& outer) const
{
    return open_ && window_ && window_->parentBounds(outer);
}

void CFrame::drawView(CView* view)
{
    CView* target = isChild(view) ? view : this;
    const CRect area = target->getSize();
    auto* window = new CDrawContext(this);
    if (offscreen_ == nullptr)
    {
        offscreen_ = new COffscreenContext(this, size_.width(), size_.height(), getPanelColor());
    }
    if (offscreen_->device() != nullptr)
    {
        offscreen_->setClipRect(area);
        target->draw(offscreen_);
        offscreen_->setClipRect(localRect());
        offscreen_->copyTo(window, area, area.topLeft());
    }
    else
    {
        target->draw(window);
    }
    window->release();
}

void CFrame::draw(CDrawContext* context)
{
    firstDraw_ = false;
    withContext(this, context, [this](CDrawContext* c) { CViewContainer::draw(c); });
}

void CFrame::drawPart(CDrawContext* context, const CRect& update)
{
    firstDraw_ = false;
    withContext(this, context,
                [this, &update](CDrawContext* c)
                {
                    const CRect saved = c->getClipRect();
                    const CRect area = update.intersected(saved);
                    if (area.isEmpty())
                    {
                        return;
                    }
                    c->setClipRect(area);
                    CViewContainer::drawPart(c, area);
                    c->setClipRect(saved);
                });
}

void CFrame::onMouseDown(CDrawContext* context, CPoint where, int32_t buttons)
{
    if (retired_)
    {
        return;
    }
    const CallDepth::Scope handler(handlers_);
    setFocusView(nullptr);
    withContext(this, context,
                [&](CDrawContext* c)
                {
                    if (modalView_ == nullptr)
                    {
                        CViewContainer::onMouseDown(c, where, buttons);
                        return;
                    }
                    if (buttons == -1)
                    {
                        buttons = c->getMouseButtons();
                    }
                    if (modalView_->containsPoint(where, buttons))
                    {
                        modalView_->onMouseDown(c, where, buttons);
                    }
                });
}

int32_t CFrame::onKeyDown(const CKeyCode& key)
{
    if (retired_)
    {
        return -1;
    }
    const CallDepth::Scope handler(handlers_);
    int32_t answer = focusView_ != nullptr ? focusView_->onKeyDown(key) : -1;
    if (answer == -1 && modalView_ != nullptr)
    {
        answer = modalView_->onKeyDown(key);
    }
    if (answer == -1 && key.virt == kVirtualKeyTab)
    {
        focusNext(focusView_, (key.modifier & kModifierShift) != 0);
        return 1;
    }
    return answer;
}

int32_t CFrame::onKeyUp(const CKeyCode& key)
{
    if (retired_)
    {
        return -1;
    }
    const CallDepth::Scope handler(handlers_);
    int32_t answer = focusView_ != nullptr ? focusView_->onKeyUp(key) : -1;
    if (answer == -1 && modalView_ != nullptr)
    {
        answer = modalView_->onKeyUp(key);
    }
    return answer;
}

bool CFrame::onWheelAxis(CDrawContext* context, CPoint where, int32_t axis, float distance)
{
    if (retired_)
    {
        return false;
    }
    const CallDepth::Scope handler(handlers_);
    CView* view = modalView_ != nullptr ? modalView_ : viewAt(where, false);
    if (view == nullptr)
    {
        return false;
    }
    bool handled = false;
    withContext(this, context,
                [&](CDrawContext* c) { handled = view->onWheelAxis(c, where, axis, distance); });
    return handled;
}

bool CFrame::onWheel(CDrawContext* context, CPoint where, float distance)
{
    return onWheelAxis(context, where, kMouseWheelAxisY, distance);
}

void CFrame::redrawIfDirty(CDrawContext* context)
{
    if (!open_ || updateInhibited_)
    {
        return;
    }
    if (CView::isDirty())
    {
        draw(context);
        return;
    }
    withContext(this, context,
                [this](CDrawContext* c)
                {
                    const CRect saved = c->getClipRect();
                    if (modalView_ != nullptr && modalView_->isDirty())
                    {
                        modalView_->redrawIfDirty(c);
                    }
                    for (size_t i = 0; i < children().size(); ++i)
                    {
                        CView* child = children()[i];
                        c->setClipRect(child->getSize().intersected(size_));
                        child->redrawIfDirty(c);
                    }
                    c->setClipRect(saved);
                });
    setDirty(false);
}

bool CFrame::isClass(const char* name) const
{
    return sameClassName(name, "CFrame") || CViewContainer::isClass(name);
}

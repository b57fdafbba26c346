#include "gui/CView.h"

#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CViewContainer.h"
#include "gui/platform/InputSource.h"

bool sameClassName(const char* a, const char* b)
{
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

CView::CView(const CRect& size) : size_(size), mouseArea_(size) {}

CView::~CView()
{
    if (background_ != nullptr)
    {
        background_->release();
    }
}

void CView::draw(CDrawContext* context)
{
    if (background_ != nullptr)
    {
        if (transparent_)
        {
            background_->drawTransparent(context, size_);
        }
        else
        {
            background_->draw(context, size_);
        }
    }
    setDirty(false);
}

void CView::drawPart(CDrawContext* context, const CRect&)
{
    draw(context);
}

bool CView::intersects(const CRect& rect) const
{
    return rect.left <= size_.right && rect.right >= size_.left && rect.top <= size_.bottom &&
           rect.bottom >= size_.top;
}

void CView::onMouseDown(CDrawContext*, CPoint, int32_t) {}

void CView::setBackground(CBitmap* background)
{
    if (background != nullptr)
    {
        background->retain();
    }
    if (background_ != nullptr)
    {
        background_->release();
    }
    background_ = background;
    setDirty(true);
}

int32_t CView::onKeyDown(const CKeyCode&)
{
    return -1;
}

int32_t CView::onKeyUp(const CKeyCode&)
{
    return -1;
}

bool CView::onWheelAxis(CDrawContext* context, CPoint where, int32_t, float distance)
{
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext*, CPoint, float)
{
    return false;
}

void CView::focusLost(CDrawContext*) {}

void CView::focusGained(CDrawContext*) {}

bool CView::containsPoint(CPoint where, int32_t) const
{
    return mouseArea_.containsInclusive(where);
}

void CView::setSize(const CRect& size)
{
    size_ = size;
    setDirty(true);
}

bool CView::onRemoved(CViewContainer*)
{
    return true;
}

bool CView::onAttached(CViewContainer*)
{
    return true;
}

void CView::currentMousePoint(CDrawContext* context, CPoint& where) const
{
    where = platform::currentInput().cursorPosition();
    if (context != nullptr)
    {
        where -= context->getScreenOffset();
    }
    for (const CView* container = parent_; container != nullptr; container = container->parent_)
    {
        where -= container->size_.topLeft();
    }
}

CPoint CView::toLocal(CPoint where) const
{
    return parent_ != nullptr ? parent_->toLocal(where) : where;
}

CPoint CView::toFrame(CPoint where) const
{
    return parent_ != nullptr ? parent_->toFrame(where) : where;
}

CFrameOwner* CView::editorOf() const
{
    return frame_ != nullptr ? frame_->getEditor() : nullptr;
}

int32_t CView::message(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (parent_ != nullptr)
    {
        parent_->redrawRect(context, rect);
    }
    else if (frame_ != nullptr && frame_ != this)
    {
        frame_->drawPart(context, rect);
    }
}

bool CView::isClass(const char* name) const
{
    return sameClassName(name, "CView");
}

void CView::redrawIfDirty(CDrawContext* context)
{
    if (!isDirty())
    {
        return;
    }
    if (context != nullptr)
    {
        redrawRect(context, size_);
    }
    else if (frame_ != nullptr)
    {
        frame_->drawView(this);
    }
    setDirty(false);
}

#include "gui/CViewContainer.h"

#include <algorithm>

#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/InputSource.h"

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background) : CView(size)
{
    CViewContainer::attachTo(frame, nullptr);
    if (background != nullptr)
    {
        setBackground(background);
    }
    setDirty(true);
}

CViewContainer::~CViewContainer()
{
    removeAllChildren(true);
    releaseOffscreen();
}

bool CViewContainer::addChild(CView* view)
{
    if (view == nullptr || view == this || view->getParent() != nullptr || view->getFrame() == view)
    {
        return false;
    }
    children_.push_back(view);
    view->retain();
    view->attachTo(getFrame(), this);
    view->onAttached(this);
    view->setDirty(true);
    return true;
}

bool CViewContainer::addChildWithArea(CView* view, const CRect& mouseArea, bool mouseEnabled)
{
    if (view == nullptr)
    {
        return false;
    }
    view->setMouseArea(mouseArea);
    view->enableMouse(mouseEnabled);
    return addChild(view);
}

bool CViewContainer::removeChild(CView* view, bool withRelease)
{
    const auto found = std::find(children_.begin(), children_.end(), view);
    if (view == nullptr || found == children_.end())
    {
        return false;
    }
    // Unlink and let go of the focus before the references drop: the last release
    // destroys the view.
    children_.erase(found);
    CFrame* frame = getFrame();
    if (frame != nullptr && frame->getFocusView() == view)
    {
        frame->setFocusView(nullptr);
    }
    if (frame != nullptr && frame->getModalView() == view)
    {
        frame->setModalView(nullptr);
    }
    view->onRemoved(this);
    view->attachTo(nullptr, nullptr);
    view->release();
    if (withRelease)
    {
        view->release();
    }
    return true;
}

void CViewContainer::removeAllChildren(bool withRelease)
{
    while (!children_.empty())
    {
        removeChild(children_.front(), withRelease);
    }
}

bool CViewContainer::isChild(const CView* view) const
{
    return view != nullptr &&
           std::find(children_.begin(), children_.end(), view) != children_.end();
}

CView* CViewContainer::childAt(int32_t index) const
{
    return index >= 0 && index < childCount() ? children_[size_t(index)] : nullptr;
}

void CViewContainer::setPanelColor(const CColor& colour)
{
    panelColor_ = colour;
    setDirty(true);
}

void CViewContainer::drawBackgroundPart(CDrawContext* context, const CRect& rect)
{
    CBitmap* background = getBackground();
    if (background != nullptr)
    {
        const CPoint source = rect.topLeft() + backgroundOffset_;
        if (isTransparent())
        {
            background->drawTransparent(context, rect, source);
        }
        else
        {
            background->draw(context, rect, source);
        }
    }
    else if (!isTransparent())
    {
        context->setFillColor(panelColor_);
        // fillRect leaves its top row and left column to an outline: start one pixel
        // further up and left so the colour covers the whole area.
        context->fillRect({rect.left - 1, rect.top - 1, rect.right, rect.bottom});
    }
}

void CViewContainer::setOffscreen(bool offscreen)
{
    drawOffscreen_ = offscreen;
    if (!offscreen)
    {
        releaseOffscreen();
    }
}

void CViewContainer::setSize(const CRect& size)
{
    if (size.width() != size_.width() || size.height() != size_.height())
    {
        releaseOffscreen();
    }
    CView::setSize(size);
}

void CViewContainer::releaseOffscreen()
{
    if (offscreen_ != nullptr)
    {
        offscreen_->release();
        offscreen_ = nullptr;
    }
}

COffscreenContext* CViewContainer::offscreen()
{
    if (offscreen_ == nullptr)
    {
        offscreen_ = new COffscreenContext(getFrame(), size_.width(), size_.height(), panelColor_);
    }
    return offscreen_->device() != nullptr ? offscreen_ : nullptr;
}

CView* CViewContainer::viewAt(CPoint where, bool deep) const
{
    for (auto child = children_.rbegin(); child != children_.rend(); ++child)
    {
        if (!(*child)->getSize().contains(where))
        {
            continue;
        }
        if (deep && (*child)->message(nullptr, kMsgCheckIfViewContainer) == 1)
        {
            auto* container = static_cast<CViewContainer*>(*child);
            CView* inner = container->viewAt(where - container->getSize().topLeft(), true);
            return inner != nullptr ? inner : *child;
        }
        return *child;
    }
    return nullptr;
}

void CViewContainer::collectFocusable(std::vector<CView*>& views) const
{
    for (CView* child : children_)
    {
        if (child->message(nullptr, kMsgCheckIfViewContainer) == 1)
        {
            static_cast<const CViewContainer*>(child)->collectFocusable(views);
        }
        else if (child->acceptsFocus())
        {
            views.push_back(child);
        }
    }
}

bool CViewContainer::focusNext(CView* current, bool backwards)
{
    std::vector<CView*> views;
    collectFocusable(views);
    if (views.empty() || getFrame() == nullptr)
    {
        return false;
    }
    const auto found = std::find(views.begin(), views.end(), current);
    size_t next = 0;
    if (found == views.end())
    {
        next = backwards ? views.size() - 1 : 0;
    }
    else
    {
        const size_t at = size_t(found - views.begin());
        next = backwards ? (at + views.size() - 1) % views.size() : (at + 1) % views.size();
    }
    getFrame()->setFocusView(views[next]);
    return true;
}

void CViewContainer::draw(CDrawContext* context)
{
    drawArea(context, size_, false);
}

void CViewContainer::drawPart(CDrawContext* context, const CRect& update)
{
    drawArea(context, update, true);
}

void CViewContainer::drawArea(CDrawContext* context, const CRect& update, bool partial)
{
    if (context == nullptr)
    {
        return;
    }
    const CPoint origin = size_.topLeft();
    const CRect area = update.intersected(size_);
    const CPoint savedOffset = context->getOffset();
    const CRect savedClip = context->getClipRect();

    // The visible part, in the container's own coordinates.
    CRect visible = area.moved({-origin.h, -origin.v});
    CDrawContext* target = drawOffscreen_ ? offscreen() : nullptr;
    if (target == nullptr)
    {
        target = context;
        visible = visible.intersected(savedClip.moved({-origin.h, -origin.v}));
        context->setOffset(savedOffset + origin);
    }
    const CRect targetClip = target->getClipRect();
    target->setClipRect(visible);
    drawBackgroundPart(target, partial ? visible : localRect());

    for (size_t i = 0; i < children_.size(); ++i)
    {
        CView* child = children_[i];
        const CRect childClip = child->getSize().intersected(visible);
        // A partial update skips the children it does not reach, neighbours that merely
        // touch it included.
        if (partial && childClip.isEmpty())
        {
            continue;
        }
        target->setClipRect(childClip);
        const bool wasDirty = child->isDirty();
        if (partial)
        {
            child->drawPart(target, childClip);
            // A dirty child drawn only in part is completed at a later redraw. Its part
            // outside the container never shows, so it does not count as missing.
            const CRect showing = child->getSize().intersected(localRect());
            if (wasDirty && childClip != showing && !child->isClass("CScrollContainer"))
            {
                child->setDirty(true);
            }
        }
        else
        {
            child->draw(target);
        }
    }

    target->setClipRect(targetClip);
    if (target != context)
    {
        static_cast<COffscreenContext*>(target)->copyTo(context, area, area.topLeft() - origin);
    }
    else
    {
        context->setOffset(savedOffset);
        context->setClipRect(savedClip);
    }
    setDirty(false);
}

void CViewContainer::onMouseDown(CDrawContext* context, CPoint where, int32_t buttons)
{
    where -= size_.topLeft();
    if (buttons == -1)
    {
        buttons = platform::currentInput().mouseButtons();
    }
    for (size_t i = children_.size(); i-- > 0;)
    {
        CView* child = children_[i];
        if (child->mouseEnabled() && child->containsPoint(where, buttons))
        {
            child->onMouseDown(context, where, buttons);
            return;
        }
    }
}

int32_t CViewContainer::onKeyDown(const CKeyCode& key)
{
    for (size_t i = children_.size(); i-- > 0;)
    {
        const int32_t answer = children_[i]->onKeyDown(key);
        if (answer != -1)
        {
            return answer;
        }
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(const CKeyCode& key)
{
    for (size_t i = children_.size(); i-- > 0;)
    {
        const int32_t answer = children_[i]->onKeyUp(key);
        if (answer != -1)
        {
            return answer;
        }
    }
    return -1;
}

bool CViewContainer::isDirty() const
{
    if (CView::isDirty())
    {
        return true;
    }
    const CRect inside = localRect();
    return std::any_of(children_.begin(), children_.end(),
                       [&](const CView* child) {
                           return child->isDirty() &&
                                  !child->getSize().intersected(inside).isEmpty();
                       });
}

bool CViewContainer::onAttached(CViewContainer* parent)
{
    if (drawOffscreen_)
    {
        offscreen();
    }
    return CView::onAttached(parent);
}

void CViewContainer::attachTo(CFrame* frame, CViewContainer* parent)
{
    CView::attachTo(frame, parent);
    for (CView* child : children_)
    {
        child->attachTo(frame, this);
    }
}

CPoint CViewContainer::toLocal(CPoint where) const
{
    return CView::toLocal(where) - size_.topLeft();
}

CPoint CViewContainer::toFrame(CPoint where) const
{
    return CView::toFrame(where + size_.topLeft());
}

int32_t CViewContainer::message(CView* sender, const char* text)
{
    return sameClassName(text, kMsgCheckIfViewContainer) ? 1 : CView::message(sender, text);
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect)
{
    const CRect inParent = rect.moved(size_.topLeft());
    if (isTransparent())
    {
        CView::redrawRect(context, inParent);
    }
    else
    {
        drawPart(context, inParent);
    }
}

bool CViewContainer::isClass(const char* name) const
{
    return sameClassName(name, "CViewContainer") || CView::isClass(name);
}

void CViewContainer::redrawIfDirty(CDrawContext* context)
{
    if (updateMode_ == 0 || CView::isDirty())
    {
        if (!isDirty())
        {
            return;
        }
        if (context != nullptr)
        {
            redrawRect(context, localRect());
        }
        else if (getFrame() != nullptr)
        {
            getFrame()->drawView(this);
        }
        setDirty(false);
        return;
    }
    const CRect inside = localRect();
    for (size_t i = 0; i < children_.size(); ++i)
    {
        CView* child = children_[i];
        if (!child->isDirty() || !child->intersects(inside))
        {
            continue;
        }
        if (child->message(this, kMsgCheckIfViewContainer) == 1)
        {
            child->redrawIfDirty(context);
        }
        else
        {
            child->redrawRect(context, child->getSize());
        }
    }
}

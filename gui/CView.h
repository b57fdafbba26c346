// The base of everything in the editor window: a rectangle that draws itself, takes the
// mouse and keys, and is redrawn when it is dirty.
#pragma once

#include <cstdint>

#include "gui/CReferenceCounter.h"
#include "gui/GuiTypes.h"
#include "gui/KeyCode.h"

class CBitmap;
class CDrawContext;
class CFrame;
class CFrameOwner;
class CViewContainer;

// Wheel axes.
constexpr int32_t kMouseWheelAxisX = 0;
constexpr int32_t kMouseWheelAxisY = 1;

class CView : public CReferenceCounter
{
  public:
    explicit CView(const CRect& size);
    ~CView() override;

    // Draws the background bitmap at the size (transparently when transparent); clean after.
    virtual void draw(CDrawContext* context);
    // Draws the part of the view inside update (in the parent's coordinates).
    virtual void drawPart(CDrawContext* context, const CRect& update);
    // True when rect overlaps the size; touching edges count.
    virtual bool intersects(const CRect& rect) const;
    virtual void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons);
    // Holds one reference on the bitmap; marks the view dirty.
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return background_; }
    // Key handlers answer -1 when they do not handle the key.
    virtual int32_t onKeyDown(const CKeyCode& key);
    virtual int32_t onKeyUp(const CKeyCode& key);
    virtual bool onWheelAxis(CDrawContext* context, CPoint where, int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, CPoint where, float distance);
    virtual void focusLost(CDrawContext* context);
    virtual void focusGained(CDrawContext* context);
    virtual bool isDirty() const { return dirty_; }
    virtual void setDirty(bool dirty = true) { dirty_ = dirty; }
    void enableMouse(bool enabled) { mouseEnabled_ = enabled; }
    bool mouseEnabled() const { return mouseEnabled_; }
    void setMouseArea(const CRect& area) { mouseArea_ = area; }
    CRect getMouseArea() const { return mouseArea_; }
    // Inside the mouse area, edges included.
    virtual bool containsPoint(CPoint where, int32_t buttons) const;
    void setTransparent(bool transparent) { transparent_ = transparent; }
    bool isTransparent() const { return transparent_; }
    // Marks the view dirty.
    virtual void setSize(const CRect& size);
    CRect getSize() const { return size_; }
    // Told when the view leaves or joins a container; answer false to object.
    virtual bool onRemoved(CViewContainer* parent);
    virtual bool onAttached(CViewContainer* parent);
    // The pointer in the coordinates the view's size is given in.
    virtual void currentMousePoint(CDrawContext* context, CPoint& where) const;
    // Between frame coordinates and the coordinates of the view's parent.
    virtual CPoint toLocal(CPoint where) const;
    virtual CPoint toFrame(CPoint where) const;
    // The editor owning the view's frame, or null.
    CFrameOwner* editorOf() const;
    virtual int32_t message(CView* sender, const char* text);
    // Has rect (in the parent's coordinates) drawn again now.
    virtual void redrawRect(CDrawContext* context, const CRect& rect);
    bool acceptsFocus() const { return acceptsFocus_; }
    void setAcceptsFocus(bool accepts) { acceptsFocus_ = accepts; }
    // True when the object is of the class of this name or derives from it.
    virtual bool isClass(const char* name) const;
    // Redraws the view now when it is dirty: through the context, or without one through
    // the frame's single-view redraw.
    virtual void redrawIfDirty(CDrawContext* context);

    CFrame* getFrame() const { return frame_; }
    CViewContainer* getParent() const { return parent_; }
    // Set by the container that takes or gives back the view.
    virtual void attachTo(CFrame* frame, CViewContainer* parent)
    {
        frame_ = frame;
        parent_ = parent;
    }

  protected:
    CRect size_;
    CRect mouseArea_;

  private:
    CFrame* frame_ = nullptr;
    CViewContainer* parent_ = nullptr;
    bool dirty_ = false;
    bool mouseEnabled_ = true;
    bool transparent_ = false;
    bool acceptsFocus_ = false;
    CBitmap* background_ = nullptr;
};

// Compares two class names.
bool sameClassName(const char* a, const char* b);

// A view holding child views in order (later ones lie on top). It draws into an off-screen
// context of its own and copies the result once, and routes presses and keys to children.
#pragma once

#include <vector>

#include "gui/CView.h"

class COffscreenContext;

class CViewContainer : public CView
{
  public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    // Removes every child with release.
    ~CViewContainer() override;

    // Takes the view, and with it the creator's reference: removing it with release, or
    // destroying the container, drops both. False for null, for a view that is already in
    // a container, and for a frame.
    virtual bool addChild(CView* view);
    // As addChild, with the view's mouse area and mouse state set first.
    virtual bool addChildWithArea(CView* view, const CRect& mouseArea, bool mouseEnabled = true);
    // False when the view is not a child.
    virtual bool removeChild(CView* view, bool withRelease = true);
    virtual void removeAllChildren(bool withRelease = true);
    virtual bool isChild(const CView* view) const;
    int32_t childCount() const { return int32_t(children_.size()); }
    // The child at index (from 0, in adding order), or null.
    CView* childAt(int32_t index) const;

    // The colour behind the children when there is no background bitmap; marks dirty.
    virtual void setPanelColor(const CColor& colour);
    CColor getPanelColor() const { return panelColor_; }
    void setBackgroundOffset(const CPoint& offset) { backgroundOffset_ = offset; }
    CPoint getBackgroundOffset() const { return backgroundOffset_; }
    // Draws the background inside rect (in the container's own coordinates).
    virtual void drawBackgroundPart(CDrawContext* context, const CRect& rect);
    // 1 (the default): a container whose own flag is clear redraws only its dirty
    // children; 0: a dirty container redraws itself completely.
    void setUpdateMode(int32_t mode) { updateMode_ = mode; }
    int32_t getUpdateMode() const { return updateMode_; }
    // Off turns off-screen drawing off and drops the off-screen context.
    virtual void setOffscreen(bool offscreen);
    // A new width or height drops the off-screen context; the next drawing makes one of the
    // new size.
    void setSize(const CRect& size) override;
    // The topmost child whose size holds the point (in the container's own coordinates);
    // deep descends into child containers. Null when none does.
    virtual CView* viewAt(CPoint where, bool deep = false) const;
    // Gives the focus to the next view after current that accepts it (the previous one
    // backwards), descending into child containers and starting over at the end; from the
    // first (last) without a current view. False when no view accepts the focus.
    virtual bool focusNext(CView* current, bool backwards);

    void draw(CDrawContext* context) override;
    void drawPart(CDrawContext* context, const CRect& update) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    int32_t onKeyUp(const CKeyCode& key) override;
    // Dirty itself, or holding a dirty child that lies inside it.
    bool isDirty() const override;
    bool onAttached(CViewContainer* parent) override;
    void attachTo(CFrame* frame, CViewContainer* parent) override;
    CPoint toLocal(CPoint where) const override;
    CPoint toFrame(CPoint where) const override;
    int32_t message(CView* sender, const char* text) override;
    // rect is in the container's own coordinates.
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isClass(const char* name) const override;
    void redrawIfDirty(CDrawContext* context) override;

  protected:
    const std::vector<CView*>& children() const { return children_; }
    // The local rectangle (0, 0, width, height).
    CRect localRect() const { return {0, 0, size_.width(), size_.height()}; }

  private:
    void drawArea(CDrawContext* context, const CRect& update, bool partial);
    COffscreenContext* offscreen();
    void releaseOffscreen();
    void collectFocusable(std::vector<CView*>& views) const;

    std::vector<CView*> children_;
    CColor panelColor_{0, 0, 0, 255};
    CPoint backgroundOffset_;
    COffscreenContext* offscreen_ = nullptr;
    bool drawOffscreen_ = true;
    int32_t updateMode_ = 1;
};

// The message a container answers with 1.
constexpr const char* kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";

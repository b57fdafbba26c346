// The root of the view tree: the container that owns the editor's window, its drawing
// contexts and the link to the editor. Made without a parent window it lives entirely in
// memory (headless use).
#pragma once

#include <memory>

#include "gui/CViewContainer.h"
#include "gui/CallDepth.h"
#include "gui/platform/FrameWindow.h"

class CFrameOwner;

class CFrame : public CViewContainer
{
  public:
    // A frame of the given size in a child window of parentWindow, or in an in-memory
    // window without one. The editor is not owned and may be null.
    CFrame(const CRect& size, void* parentWindow, CFrameOwner* editor);
    // Releases every child, the contexts and the window.
    ~CFrame() override;

    bool isOpen() const { return open_; }
    // The window binding closes the frame when the host destroys the window first.
    void setOpen(bool open) { open_ = open; }
    // Redraws the dirty views, once the frame has been drawn for the first time.
    void idle();
    // Lets the editor keep the host alive during a control's drag.
    void idlePump();
    // Lets the window system paint one pending region during a control's drag.
    void dispatchPendingPaint();
    // True while the frame handles input or resizes: a handler may call the host, and a host
    // may close the editor from inside that call, so the frame must outlive the handler.
    bool isBusy() const { return handlers_.busy(); }
    // Ends a running gesture and refuses further input: the editor closed under it.
    void retire() { retired_ = true; }
    bool isRetired() const { return retired_; }
    // Milliseconds of the platform clock; 0 without an editor.
    uint32_t getTicks() const;
    // The host's knob mode (2: linear); 0 without an editor.
    int32_t knobMode() const;
    // Sets the view that alone receives presses and keys; fails while one is set.
    // Null clears it.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView_; }
    void beginEdit(int32_t tag);
    void endEdit(int32_t tag);
    // The pointer relative to the frame's window.
    bool getMousePosition(CPoint& where) const;
    // Marks the new and the previous focus view dirty when they accept focus.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView_; }
    // Marks every child that intersects rect dirty; the next idle draws them.
    void invalidate(const CRect& rect);
    // Answers the previous value.
    bool setUpdateInhibit(bool inhibit);
    bool isUpdateInhibited() const { return updateInhibited_; }
    // Gives the frame a new size (sides of 1 to 8192 pixels): the host resizes its window
    // when it can, otherwise the window binding fits the windows around the frame's own.
    // False when the frame is closed, has no window, or the size is unchanged or refused.
    bool resize(int32_t width, int32_t height);
    // The top-left corner of the window that holds the editor, in its parent's coordinates.
    bool getPosition(int32_t& x, int32_t& y) const;
    // The outer rectangle of the frame window's parent, in its own parent's coordinates.
    bool getOuterSize(CRect& outer) const;
    // Draws the view (the whole frame when it is not a child) at once, through the
    // frame's off-screen context, and copies it to the window.
    void drawView(CView* view);

    CFrameOwner* getEditor() const { return editor_; }
    // The window the frame draws into; null when none could be made.
    FrameWindow* getWindow() const { return window_.get(); }
    void* getParentWindow() const { return parentWindow_; }

    void draw(CDrawContext* context) override;
    void drawPart(CDrawContext* context, const CRect& update) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    int32_t onKeyUp(const CKeyCode& key) override;
    bool onWheelAxis(CDrawContext* context, CPoint where, int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, CPoint where, float distance) override;
    void redrawIfDirty(CDrawContext* context) override;
    bool isClass(const char* name) const override;

  private:
    void releaseViewRedrawContext();

    CFrameOwner* editor_;
    void* parentWindow_;
    CView* modalView_ = nullptr;
    CView* focusView_ = nullptr;
    bool open_ = true;
    bool updateInhibited_ = false;
    bool firstDraw_ = true;
    bool retired_ = false;
    CallDepth handlers_;
    std::unique_ptr<FrameWindow> window_;
    COffscreenContext* offscreen_ = nullptr;
};

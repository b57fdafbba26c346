// An editor that draws its own window content with the toolkit and reports user gestures
// to the effect.
#pragma once

#include "editor/AEffEditor.h"
#include "gui/CFrameOwner.h"

#include <cstdint>

class CFrame;

class AEffGUIEditor : public AEffEditor, public CFrameOwner
{
  public:
    explicit AEffGUIEditor(EditorHost* effect);

    bool getRect(EditorRect** rect) override;
    // Redraws the frame's dirty views, unless a control's drag is pumping the host.
    void idle() override;
    bool onKeyDown(const CKeyCode& key) override;
    bool onKeyUp(const CKeyCode& key) override;
    // Turns the wheel over the view under the mouse pointer.
    bool onWheel(float distance) override;
    bool setKnobMode(int32_t mode) override;

    // Moves the editor's view of a parameter; called by the effect on any thread.
    virtual void setParameter(int32_t index, float value);
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    // Keeps the host and the display alive while a control tracks the mouse.
    void idlePump() override;
    int32_t knobMode() const override;
    // Only when the host says it can.
    bool sizeWindow(int32_t width, int32_t height) override;
    // The effect, and with it this editor, stays while the frame handles input.
    void inputStarts() override;
    void inputEnded() override;

    CFrame* frame() const { return frame_; }

  protected:
    EditorRect rect_{};
    uint32_t lastTicks_;
    bool inIdlePump_ = false;
    CFrame* frame_ = nullptr;
};

// The editor interface the effect's dispatcher forwards the editor opcodes to.
#pragma once

#include "editor/EditorHost.h"
#include "plugin/VstInterface.h"

class AEffEditor
{
  public:
    explicit AEffEditor(EditorHost* effect) : effect_(effect) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual EditorHost* getEffect() { return effect_; }
    // Hands the host the editor's rectangle; false when there is none.
    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    // Opens the editor inside the host's window; true when it now shows.
    virtual bool open(void* parentWindow)
    {
        systemWindow_ = parentWindow;
        return false;
    }
    virtual void close() { systemWindow_ = nullptr; }
    virtual bool isOpen() { return systemWindow_ != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool onWheel(float) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }

  protected:
    EditorHost* effect_;
    void* systemWindow_ = nullptr;
};

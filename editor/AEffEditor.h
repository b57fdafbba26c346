// The editor interface every plug-in format's shell forwards the host's editor requests to.
#pragma once

#include "editor/EditorHost.h"
#include "gui/KeyCode.h"

#include <cstdint>

// The editor's size in pixels, in the order the plug-in interfaces hand it to hosts.
struct EditorRect
{
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

class AEffEditor
{
  public:
    explicit AEffEditor(EditorHost* effect) : effect_(effect) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual EditorHost* getEffect() { return effect_; }
    // Hands the host the editor's rectangle; false when there is none.
    virtual bool getRect(EditorRect** rect)
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
    virtual bool onKeyDown(const CKeyCode&) { return false; }
    virtual bool onKeyUp(const CKeyCode&) { return false; }
    virtual bool onWheel(float) { return false; }
    virtual bool setKnobMode(int32_t) { return false; }

  protected:
    EditorHost* effect_;
    void* systemWindow_ = nullptr;
};

// What the editor asks of the effect it edits, whatever the plug-in format: the parameters'
// values, the user's changes and gestures, and the host's attention. The VST 2.4 effect
// answers through its host callback, the LV2 user interface through the LV2 host.
#pragma once

#include <cstdint>

class EditorHost
{
  public:
    virtual ~EditorHost() = default;

    // The parameter's normalised value.
    virtual float getParameter(int32_t index) = 0;
    // A change the user made: applies it and reports it to the host.
    virtual void setParameterAutomated(int32_t index, float value) = 0;
    // A user gesture on the parameter starts or ends; true when the host took note.
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;
    // Gives the host time for its own work while a control tracks the mouse.
    virtual void masterIdle() {}
    // Whether the edition carries the true-peak ceiling (kParamCeiling), which the panel then
    // shows under PLUG-IN BYPASS.
    virtual bool carriesCeiling() const { return false; }
    // Any non-zero answer of the host counts as yes.
    virtual bool canHostDo(const char*) { return false; }
    // True when the host resized the editor's window.
    virtual bool sizeWindow(int32_t, int32_t) { return false; }
    // The editor handles the user's input: a host may close the effect from inside a call
    // the handler makes, so the effect stays until the matching release.
    virtual void retain() {}
    virtual void release() {}
};

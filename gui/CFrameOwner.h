// What a frame asks of the editor that owns it.
#pragma once

#include <cstdint>

class CFrameOwner
{
  public:
    virtual ~CFrameOwner() = default;

    // A user gesture on the parameter with this tag starts or ends.
    virtual void beginEdit(int32_t tag) = 0;
    virtual void endEdit(int32_t tag) = 0;
    // Called on every turn of a control's drag loop: keep the host and the display alive.
    virtual void idlePump() = 0;
    // The host's knob mode: 2 is linear, anything else circular.
    virtual int32_t knobMode() const = 0;
    // The window's 25 ms timer fired: refresh what moves with the audio (meters, viewer).
    virtual void timerTick() {}
    // Asks the host to give its window this size; true when it did.
    virtual bool sizeWindow(int32_t, int32_t) { return false; }
    // The frame's outermost input handler starts or has returned. A host may close the
    // editor or the effect from inside a call the handler makes; what the handler uses must
    // stay until it has returned. The frame itself may be gone after inputEnded.
    virtual void inputStarts() {}
    virtual void inputEnded() {}
};

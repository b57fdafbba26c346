// An input source that plays a script of pointer states, one state per poll turn, so that
// tests and tools can drive presses, drags, modifier changes and double clicks without a
// window system. Whoever pumps (the owner's idlePump during a drag) calls advance().
#pragma once

#include <cstdint>
#include <vector>

#include "gui/platform/InputSource.h"

class ScriptedInput : public InputSource
{
  public:
    // The clock moves by this much at every advance.
    static constexpr uint32_t kStepMs = 10;

    // Appends one state: these buttons held with the pointer at position.
    ScriptedInput& then(int32_t buttons, const CPoint& position);
    // Appends steps states moving in equal steps from the last position to `to`.
    ScriptedInput& glide(int32_t buttons, const CPoint& to, int32_t steps);
    // Drops the script; the pointer rests where it was.
    void clear();
    // Moves to the next state. Past the last one every button is up and the pointer stays.
    void advance();
    bool finished() const { return current_ >= states_.size(); }

    void setTicks(uint32_t ticks) { ticks_ = ticks; }
    void setDoubleClickTime(int32_t milliseconds) { doubleClickTime_ = milliseconds; }

    int32_t mouseButtons() override;
    CPoint cursorPosition() override;
    uint32_t ticks() override { return ticks_; }
    int32_t doubleClickTime() override { return doubleClickTime_; }

  private:
    struct State
    {
        int32_t buttons;
        CPoint position;
    };

    CPoint lastPosition() const;

    std::vector<State> states_;
    size_t current_ = 0;
    CPoint resting_;
    uint32_t ticks_ = 1000;
    int32_t doubleClickTime_ = 500;
};

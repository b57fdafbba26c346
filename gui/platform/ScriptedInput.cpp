#include "gui/platform/ScriptedInput.h"

ScriptedInput& ScriptedInput::then(int32_t buttons, const CPoint& position)
{
    states_.push_back({buttons, position});
    return *this;
}

ScriptedInput& ScriptedInput::glide(int32_t buttons, const CPoint& to, int32_t steps)
{
    const CPoint from = states_.empty() ? resting_ : states_.back().position;
    for (int32_t i = 1; i <= steps; ++i)
    {
        // Integer steps that end exactly on the target.
        const CPoint at{from.h + (to.h - from.h) * i / steps, from.v + (to.v - from.v) * i / steps};
        states_.push_back({buttons, at});
    }
    return *this;
}

void ScriptedInput::clear()
{
    resting_ = cursorPosition();
    states_.clear();
    current_ = 0;
}

void ScriptedInput::advance()
{
    if (current_ < states_.size())
    {
        ++current_;
    }
    ticks_ += kStepMs;
}

int32_t ScriptedInput::mouseButtons()
{
    return current_ < states_.size() ? states_[current_].buttons : 0;
}

CPoint ScriptedInput::cursorPosition()
{
    return current_ < states_.size() ? states_[current_].position : lastPosition();
}

CPoint ScriptedInput::lastPosition() const
{
    return states_.empty() ? resting_ : states_.back().position;
}

// The receiver of a control's value changes: the editor.
#pragma once

#include <cstdint>

class CControl;
class CDrawContext;

class CControlListener
{
  public:
    virtual ~CControlListener() = default;

    // The user changed the control's value (context is null for keys).
    virtual void onValueChanged(CDrawContext* context, CControl* control) = 0;
    // A press with a modifier key; non-zero means handled, and the control then does nothing.
    virtual int32_t onModifierClick(CDrawContext*, CControl*, int32_t) { return 0; }
};

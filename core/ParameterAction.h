// What a value sent to one of the action parameters asks of the instance, in every format.
#pragma once

#include "engine/ParameterRecords.h"

enum class ParameterAction
{
    kNone,
    kReset,      // every setting and control back to its default
    kOpenManual, // the user manual, opened by the editor
};

// Reset fires at 1, the manual at any value but 0; other parameters ask for no action.
constexpr ParameterAction actionOf(int index, float value)
{
    if (index == kParamReset && static_cast<int>(value + 0.1f) == 1)
        return ParameterAction::kReset;
    if (index == kParamInfoDocument && value != 0.0f)
        return ParameterAction::kOpenManual;
    return ParameterAction::kNone;
}

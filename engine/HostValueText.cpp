#include "engine/HostValueText.h"

#include "engine/ControlTable.h"
#include "engine/ParameterRecords.h"
#include "engine/ValueFormatters.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace
{
// Longest first, so that "kHz" is not taken for "Hz" and "ms" not for "s".
constexpr std::string_view kUnits[] = {"kHz", "Hz", "dB", "us", "ms", "s"};

struct SplitText
{
    std::string_view number;
    std::string_view unit;
};

// The control's own text, split into its number and its unit.
SplitText splitValueText(std::string_view text)
{
    for (std::string_view unit : kUnits)
    {
        if (text.size() > unit.size() && text.ends_with(unit))
        {
            std::string_view number = text.substr(0, text.size() - unit.size());
            while (!number.empty() && number.back() == ' ')
                number.remove_suffix(1);
            return {number, unit};
        }
    }
    return {text, {}};
}

void copyHostText(std::string_view source, char* text)
{
    std::snprintf(text, kHostTextSize, "%.*s", int(source.size()), source.data());
}

const char* switchText(int index, bool on)
{
    if (index == kParamBypass)
        return on ? "active" : "bypass";
    return on ? "on" : "off";
}
} // namespace

bool hasHostText(int index)
{
    return isHostControl(index);
}

void hostDisplayText(int index, double normalized, char* text)
{
    if (!hasHostText(index))
        return;
    const ParameterRecord& row = parameterRecord(index);
    const float real = static_cast<float>(normalizedToReal(normalized, index));
    if (row.formatter == nullptr)
    {
        copyHostText(switchText(index, real != 0.0f), text);
        return;
    }
    char full[kValueTextSize];
    row.formatter(real, full);
    copyHostText(splitValueText(full).number, text);
}

void hostLabelText(int index, double normalized, char* text)
{
    if (!hasHostText(index))
        return;
    const ParameterRecord& row = parameterRecord(index);
    if (row.formatter == nullptr)
    {
        text[0] = '\0';
        return;
    }
    char full[kValueTextSize];
    row.formatter(static_cast<float>(normalizedToReal(normalized, index)), full);
    copyHostText(splitValueText(full).unit, text);
}

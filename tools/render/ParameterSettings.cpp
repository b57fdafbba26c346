#include "tools/render/ParameterSettings.h"

#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace
{
// Every parameter but the manual, which would open a browser in the middle of a render.
bool isSettable(int index)
{
    const ParameterRole role = parameterRecord(index).role;
    return role != ParameterRole::kReserved && index != kParamInfoDocument;
}

// Switches and the reset button know only off (0) and on (1).
bool isTwoState(const ParameterRecord& record)
{
    return record.formatter == nullptr;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool equalIgnoringCase(const std::string& a, const char* b)
{
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(),
                      [](char x, char y)
                      {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

// An exact match wins over one that ignores case; -1 for none.
int findSettableIndex(const std::string& name)
{
    int caseless = -1;
    for (int index = 0; index < kNumParameters; ++index)
    {
        if (!isSettable(index))
            continue;
        if (name == kParameterRecords[index].name)
            return index;
        if (caseless < 0 && equalIgnoringCase(name, kParameterRecords[index].name))
            caseless = index;
    }
    return caseless;
}

bool parseNumber(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}
} // namespace

ParameterSetting parseParameterSetting(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw RenderError("--set takes \"Name=value\", not " + quoted(text));
    const std::string name = trimmed(text.substr(0, equals));
    const std::string valueText = trimmed(text.substr(equals + 1));

    const int index = findSettableIndex(name);
    if (index < 0)
        throw RenderError("unknown parameter " + quoted(name) + " (--help lists the names)");
    const ParameterRecord& record = kParameterRecords[index];
    double value = 0.0;
    if (!parseNumber(valueText, value))
        throw RenderError(quoted(record.name) + " takes a number, not " + quoted(valueText));
    if (isTwoState(record) && value != record.minimum && value != record.maximum)
        throw RenderError(quoted(record.name) + " takes 0 or 1, not " + valueText);
    if (!(value >= record.minimum && value <= record.maximum))
        throw RenderError(quoted(record.name) + " takes a value from " + number(record.minimum) +
                          " to " + number(record.maximum) + ", not " + valueText);
    return {index, value};
}

int parseProgram(const std::string& text)
{
    int number = -1;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    if (result.ec == std::errc() && result.ptr == end && number >= 0 && number < kNumPrograms)
        return number;

    int caseless = -1;
    for (int program = 0; program < kNumPrograms; ++program)
    {
        if (text == kFactoryPresets[program].name)
            return program;
        if (caseless < 0 && equalIgnoringCase(text, kFactoryPresets[program].name))
            caseless = program;
    }
    if (caseless >= 0)
        return caseless;

    std::string names;
    for (const FactoryPreset& preset : kFactoryPresets)
        names += std::string(names.empty() ? "" : ", ") + preset.name;
    throw RenderError("unknown program " + quoted(text) + " (0 to " +
                      std::to_string(kNumPrograms - 1) + " or " + names + ")");
}

std::string parameterListText()
{
    std::string text = "Parameters (--set \"Name=value\", in real units):\n";
    for (int index = 0; index < kNumParameters; ++index)
    {
        if (!isSettable(index))
            continue;
        const ParameterRecord& record = kParameterRecords[index];
        char line[96];
        if (isTwoState(record))
            std::snprintf(line, sizeof(line), "  %-20s 0 or 1, default %g\n", record.name,
                          record.defaultValue);
        else
            std::snprintf(line, sizeof(line), "  %-20s %g to %g, default %g\n", record.name,
                          record.minimum, record.maximum, record.defaultValue);
        text += line;
    }
    text += "Programs (--program N or NAME):\n";
    for (int program = 0; program < kNumPrograms; ++program)
        text += "  " + std::to_string(program) + "  " + kFactoryPresets[program].name + "\n";
    return text;
}

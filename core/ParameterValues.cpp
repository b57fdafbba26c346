#include "core/ParameterValues.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace
{
constexpr std::string_view kTextHeader = "VRN-07 settings ";
constexpr int kTextVersion = 1;
// The last line: a checksum of everything before it, so that a cut or a changed byte is found.
constexpr std::string_view kCheckPrefix = "check ";

uint32_t checksumOf(std::string_view text)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (const char byte : text)
        hash = (hash ^ uint8_t(byte)) * 16777619u;
    return hash;
}

std::string checkLine(std::string_view text)
{
    char line[32];
    std::snprintf(line, sizeof line, "%s%08x\n", kCheckPrefix.data(), checksumOf(text));
    return line;
}

// The text before its check line, or nothing when the line is missing or does not match.
std::optional<std::string_view> checkedBody(std::string_view text)
{
    const size_t lastLine = text.rfind(kCheckPrefix);
    if (lastLine == std::string_view::npos || (lastLine > 0 && text[lastLine - 1] != '\n'))
        return std::nullopt;
    const std::string_view body = text.substr(0, lastLine);
    if (text.substr(lastLine) != checkLine(body))
        return std::nullopt;
    return body;
}

const char* symbolOf(int index)
{
    return index == kParamCeiling ? kCeilingRecord.symbol : parameterRecord(index).symbol;
}

std::optional<int> settingOfSymbol(std::string_view symbol)
{
    for (int index = 0; index < CParameterValues::kCount; ++index)
        if (CParameterValues::isSetting(index) && symbol == symbolOf(index))
            return index;
    return std::nullopt;
}

double heldToRange(int index, double real)
{
    if (index == kParamCeiling)
        return kCeilingRecord.decibelsOfStep(kCeilingRecord.stepOf(real));
    const ParameterRecord& record = parameterRecord(index);
    return std::clamp(real, record.minimum, record.maximum);
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Splits off the text up to the next line feed, or the rest.
std::string_view takeLine(std::string_view& text)
{
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return line;
}

bool knownVersion(std::string_view line)
{
    if (!line.starts_with(kTextHeader))
        return false;
    const auto version = parseNumber(line.substr(kTextHeader.size()));
    return version && *version >= 1 && *version <= kTextVersion && *version == std::floor(*version);
}
} // namespace

CParameterValues::CParameterValues()
{
    for (auto& value : real_)
        value.store(0.0, std::memory_order_relaxed);
    storeDefaults();
}

bool CParameterValues::isSetting(int index)
{
    if (index == kParamCeiling)
        return true;
    const ParameterRole role = parameterRecord(index).role;
    return isParameterIndex(index) &&
           (role == ParameterRole::kControl || role == ParameterRole::kEditorSetting);
}

double CParameterValues::real(int index) const
{
    return isSetting(index) ? real_[index].load(std::memory_order_relaxed) : 0.0;
}

double CParameterValues::normalized(int index) const
{
    if (!isSetting(index))
        return 0.0;
    if (index == kParamCeiling)
        return kCeilingRecord.normalizedOf(real(index));
    return std::clamp(realToNormalized(real(index), index), 0.0, 1.0);
}

bool CParameterValues::storeNormalized(int index, double normalized)
{
    if (!isSetting(index) || !std::isfinite(normalized))
        return false;
    normalized = std::clamp(normalized, 0.0, 1.0);
    const double real = index == kParamCeiling ? kCeilingRecord.decibelsOfNormalized(normalized)
                                               : normalizedToReal(normalized, index);
    real_[index].store(real, std::memory_order_relaxed);
    return true;
}

bool CParameterValues::storeReal(int index, double real)
{
    if (!isSetting(index) || !std::isfinite(real))
        return false;
    real_[index].store(heldToRange(index, real), std::memory_order_relaxed);
    return true;
}

void CParameterValues::storeDefaults()
{
    for (int index = 0; index < kCount; ++index)
        if (isSetting(index))
            real_[index].store(index == kParamCeiling ? kCeilingRecord.offDb
                                                      : parameterRecord(index).defaultValue,
                               std::memory_order_relaxed);
}

// A program's values go through the normalised scale as floats, as in the VST 2.4 edition, so
// that every edition plays a program alike.
bool CParameterValues::storeProgram(int program)
{
    if (program < 0 || program >= kNumPrograms)
        return false;
    for (const PresetEntry& entry : kFactoryPresets[program].entries)
    {
        if (entry.index < 0)
            break;
        storeNormalized(entry.index, float(realToNormalized(entry.value, entry.index)));
    }
    return true;
}

std::string CParameterValues::saveText() const
{
    std::string text = std::string(kTextHeader) + std::to_string(kTextVersion) + "\n";
    for (int index = 0; index < kCount; ++index)
    {
        if (!isSetting(index))
            continue;
        char line[128];
        std::snprintf(line, sizeof line, "%s %.17g\n", symbolOf(index), real(index));
        text += line;
    }
    return text + checkLine(text);
}

bool CParameterValues::restoreText(std::string_view text)
{
    const auto body = checkedBody(text);
    if (!body)
        return false;
    text = *body;
    if (!knownVersion(takeLine(text)))
        return false;
    std::optional<double> restored[kCount];
    while (!text.empty())
    {
        const std::string_view line = takeLine(text);
        const size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return false;
        const auto index = settingOfSymbol(line.substr(0, space));
        const auto value = parseNumber(line.substr(space + 1));
        if (!index || !value)
            return false;
        restored[*index] = value;
    }
    for (int index = 0; index < kCount; ++index)
        if (restored[index])
            storeReal(index, *restored[index]);
    return true;
}

#include "plugin/clap/ClapParameters.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/HostValueText.h"
#include "engine/ParameterRecords.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace
{
using clap_parameters::kProgramId;

bool isSwitch(clap_id id)
{
    return id != kParamCeiling && id != kProgramId && parameterRecord(int(id)).formatter == nullptr;
}

// 0 for a continuous parameter.
int stepsOf(clap_id id)
{
    if (id == kParamCeiling)
        return kCeilingRecord.stepCount();
    if (id == kProgramId)
        return kNumPrograms - 1;
    const ParameterRecord& record = parameterRecord(int(id));
    if (record.curve == kCurveHalfDecibelSteps)
        return int(std::lround((record.maximum - record.minimum) / kHalfDecibel));
    return isSwitch(id) ? 1 : 0;
}

double defaultNormalized(clap_id id)
{
    if (id == kProgramId)
        return 0.0;
    if (id == kParamCeiling)
        return kCeilingRecord.normalizedOf(kCeilingRecord.offDb);
    return realToNormalized(parameterRecord(int(id)).defaultValue, int(id));
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// How many of the record's units one of the named unit is; 0 for a unit of another kind.
double unitFactor(ParameterUnit unit, std::string_view name)
{
    if (name.empty())
        return 1.0;
    switch (unit)
    {
    case ParameterUnit::kDecibels:
        return name == "dB" ? 1.0 : 0.0;
    case ParameterUnit::kHertz:
        return name == "Hz" ? 1.0 : name == "kHz" ? 1000.0 : 0.0;
    case ParameterUnit::kMilliseconds:
        return name == "ms" ? 1.0 : name == "us" ? 0.001 : name == "s" ? 1000.0 : 0.0;
    default:
        return 0.0;
    }
}

// A number and an optional unit after it.
std::optional<double> realOfText(ParameterUnit unit, std::string_view text)
{
    double number = 0.0;
    const char* const end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc{} || !std::isfinite(number))
        return std::nullopt;
    const double factor = unitFactor(unit, trimmed(std::string_view(rest, size_t(end - rest))));
    if (factor == 0.0)
        return std::nullopt;
    return number * factor;
}

std::optional<double> normalizedOfSwitchText(clap_id id, std::string_view text)
{
    char on[kHostTextSize] = {};
    char off[kHostTextSize] = {};
    hostDisplayText(int(id), 1.0, on);
    hostDisplayText(int(id), 0.0, off);
    if (text == on || text == "1")
        return 1.0;
    if (text == off || text == "0")
        return 0.0;
    return std::nullopt;
}

std::optional<double> normalizedOfCeilingText(std::string_view text)
{
    if (text == "off")
        return 0.0;
    if (text.ends_with("dBTP"))
        text = trimmed(text.substr(0, text.size() - 4));
    const auto dB = realOfText(ParameterUnit::kDecibels, text);
    if (!dB)
        return std::nullopt;
    return kCeilingRecord.normalizedOf(
        std::clamp(*dB, kCeilingRecord.minimumDb, kCeilingRecord.maximumDb));
}

std::optional<double> normalizedOfProgramText(std::string_view text)
{
    for (int program = 0; program < kNumPrograms; ++program)
        if (text == kFactoryPresets[program].name || text == std::to_string(program))
            return double(program) / (kNumPrograms - 1);
    return std::nullopt;
}

std::optional<double> normalizedOfControlText(clap_id id, std::string_view text)
{
    if (isSwitch(id))
        return normalizedOfSwitchText(id, text);
    const ParameterRecord& record = parameterRecord(int(id));
    // The crossovers read "(off)" at the end of their range where they switch a band off.
    char offText[kHostTextSize] = {};
    hostDisplayText(int(id), 0.0, offText);
    if (text == offText)
        return 0.0;
    hostDisplayText(int(id), 1.0, offText);
    if (text == offText)
        return 1.0;
    const auto real = realOfText(record.unit, text);
    if (!real)
        return std::nullopt;
    return std::clamp(realToNormalized(std::clamp(*real, record.minimum, record.maximum), int(id)),
                      0.0, 1.0);
}

void copyText(const char* source, char* text, uint32_t capacity)
{
    std::snprintf(text, capacity, "%s", source);
}
} // namespace

namespace clap_parameters
{
clap_id idAt(uint32_t position)
{
    if (position == kCount - 1)
        return kProgramId;
    return position < kCount ? clap_id(kFirstHostControl) + position : kClapInvalidId;
}

bool isParameter(clap_id id)
{
    return id == kParamCeiling || id == kProgramId ||
           (id < uint32_t(kNumParameters) && isHostControl(int(id)));
}

bool describe(clap_id id, clap_param_info_t& info)
{
    if (!isParameter(id))
        return false;
    info = {};
    info.id = id;
    const int steps = stepsOf(id);
    info.flags = kClapParamIsAutomatable;
    if (steps > 0)
        info.flags |= kClapParamIsStepped;
    if (isSwitch(id))
        info.flags |= kClapParamIsEnum;
    if (id == kProgramId)
        info.flags |= kClapParamIsEnum;
    const char* name = id == kParamCeiling ? kCeilingRecord.name
                       : id == kProgramId  ? "Program"
                                           : parameterRecord(int(id)).name;
    copyText(name, info.name, sizeof info.name);
    info.min_value = 0.0;
    info.max_value = steps > 0 ? steps : 1.0;
    info.default_value = plainOfNormalized(id, defaultNormalized(id));
    return true;
}

double plainOfNormalized(clap_id id, double normalized)
{
    const int steps = stepsOf(id);
    return steps > 0 ? std::round(normalized * steps) : normalized;
}

int programOfPlain(double plain)
{
    return std::isfinite(plain) ? int(std::clamp(std::round(plain), 0.0, double(kNumPrograms - 1)))
                                : 0;
}

std::optional<double> normalizedOfPlain(clap_id id, double plain)
{
    if (!isParameter(id) || !std::isfinite(plain))
        return std::nullopt;
    const int steps = stepsOf(id);
    if (steps == 0)
        return std::clamp(plain, 0.0, 1.0);
    return std::clamp(std::round(plain), 0.0, double(steps)) / steps;
}

bool textOf(clap_id id, double plain, char* text, uint32_t capacity)
{
    const auto normalized = normalizedOfPlain(id, plain);
    if (!normalized || !text || capacity == 0)
        return false;
    if (id == kProgramId)
    {
        copyText(kFactoryPresets[programOfPlain(plain)].name, text, capacity);
        return true;
    }
    if (id == kParamCeiling)
    {
        const double dB = kCeilingRecord.decibelsOfNormalized(*normalized);
        if (kCeilingRecord.isOn(dB))
            std::snprintf(text, capacity, "%.1f dBTP", dB);
        else
            copyText("off", text, capacity);
        return true;
    }
    char number[kHostTextSize] = {};
    char unit[kHostTextSize] = {};
    hostDisplayText(int(id), *normalized, number);
    hostLabelText(int(id), *normalized, unit);
    std::snprintf(text, capacity, unit[0] ? "%s %s" : "%s", number, unit);
    return true;
}

std::optional<double> plainOfText(clap_id id, const char* text)
{
    if (!isParameter(id) || !text)
        return std::nullopt;
    const std::string_view typed = trimmed(text);
    const auto normalized = id == kParamCeiling ? normalizedOfCeilingText(typed)
                            : id == kProgramId  ? normalizedOfProgramText(typed)
                                                : normalizedOfControlText(id, typed);
    if (!normalized)
        return std::nullopt;
    return plainOfNormalized(id, *normalized);
}
} // namespace clap_parameters

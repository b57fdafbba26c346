#include "core/HostParameters.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/HostValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace host_parameters
{
namespace
{
constexpr char kCeilingUnit[] = "dBTP";

bool isControl(int id)
{
    return id >= kFirstHostControl && id < kNumParameters;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// How many of the parameter's own units one of the named unit is; 0 for another kind.
double unitFactor(ParameterUnit own, std::string_view unit)
{
    struct Scale
    {
        std::string_view name;
        ParameterUnit unit;
        double factor;
    };
    static constexpr Scale kScales[] = {
        {"dB", ParameterUnit::kDecibels, 1.0},       {"dBTP", ParameterUnit::kDecibels, 1.0},
        {"Hz", ParameterUnit::kHertz, 1.0},          {"kHz", ParameterUnit::kHertz, 1000.0},
        {"ms", ParameterUnit::kMilliseconds, 1.0},   {"us", ParameterUnit::kMilliseconds, 0.001},
        {"s", ParameterUnit::kMilliseconds, 1000.0},
    };
    if (unit.empty())
        return 1.0;
    for (const Scale& scale : kScales)
        if (scale.name == unit && scale.unit == own)
            return scale.factor;
    return 0.0;
}

// A number and an optional unit after it, in the parameter's own unit.
std::optional<double> realOfText(ParameterUnit own, std::string_view text)
{
    double number = 0.0;
    const char* const end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc{} || !std::isfinite(number))
        return std::nullopt;
    const double factor = unitFactor(own, trimmed(std::string_view(rest, size_t(end - rest))));
    if (factor == 0.0)
        return std::nullopt;
    return number * factor;
}

std::string controlText(int id, double normalized)
{
    char number[kHostTextSize] = {};
    char unit[kHostTextSize] = {};
    hostDisplayText(id, normalized, number);
    hostLabelText(id, normalized, unit);
    return unit[0] ? std::string(number) + " " + unit : std::string(number);
}

std::string ceilingText(double normalized)
{
    char text[kValueTextSize];
    formatCeiling(float(kCeilingRecord.decibelsOfNormalized(normalized)), text);
    return text;
}

std::optional<double> ceilingOfText(std::string_view text)
{
    if (text == "OFF" || text == "off" || text == "(off)")
        return 0.0;
    const auto dB = realOfText(ParameterUnit::kDecibels, text);
    if (!dB)
        return std::nullopt;
    return kCeilingRecord.normalizedOf(
        std::clamp(*dB, kCeilingRecord.minimumDb, kCeilingRecord.maximumDb));
}

std::optional<double> programOfText(std::string_view text)
{
    for (int program = 0; program < kNumPrograms; ++program)
        if (text == kFactoryPresets[program].name || text == std::to_string(program))
            return double(program) / (kNumPrograms - 1);
    return std::nullopt;
}

// Either end of the range typed as it reads ("(off)" of a crossover, a switch's word), or a
// switch's 0 or 1.
std::optional<double> endOfText(int id, std::string_view text)
{
    for (const double end : {0.0, 1.0})
        if (text == controlText(id, end) || (isSwitch(id) && text == (end == 0.0 ? "0" : "1")))
            return end;
    return std::nullopt;
}

std::optional<double> controlOfText(int id, std::string_view text)
{
    if (const auto end = endOfText(id, text))
        return end;
    if (isSwitch(id))
        return std::nullopt;
    const ParameterRecord& record = parameterRecord(id);
    const auto real = realOfText(record.unit, text);
    if (!real)
        return std::nullopt;
    const double held = std::clamp(*real, record.minimum, record.maximum);
    return std::clamp(realToNormalized(held, id), 0.0, 1.0);
}
} // namespace

int idAt(int position)
{
    if (position < 0 || position >= kCount)
        return -1;
    if (position < kHostControlCount)
        return kFirstHostControl + position;
    return position == kHostControlCount ? kParamCeiling : kParamProgram;
}

bool isHostParameter(int id)
{
    return isControl(id) || id == kParamCeiling || id == kParamProgram;
}

const char* nameOf(int id)
{
    if (id == kParamCeiling)
        return kCeilingRecord.name;
    if (id == kParamProgram)
        return "Program";
    return isControl(id) ? parameterRecord(id).name : "";
}

const char* unitOf(int id)
{
    if (id == kParamCeiling)
        return kCeilingUnit;
    if (!isControl(id))
        return "";
    static constexpr const char* kUnitNames[] = {"", "dB", "Hz", "ms"};
    return kUnitNames[int(parameterRecord(id).unit)];
}

bool isSwitch(int id)
{
    return isControl(id) && parameterRecord(id).formatter == nullptr;
}

int stepCount(int id)
{
    if (id == kParamCeiling)
        return kCeilingRecord.stepCount();
    if (id == kParamProgram)
        return kNumPrograms - 1;
    if (isSwitch(id))
        return 1;
    const ParameterRecord& record = parameterRecord(id);
    if (isControl(id) && record.curve == kCurveHalfDecibelSteps)
        return int(std::lround((record.maximum - record.minimum) / kHalfDecibel));
    return 0;
}

double defaultNormalized(int id)
{
    if (id == kParamCeiling)
        return kCeilingRecord.normalizedOf(kCeilingRecord.offDb);
    if (!isControl(id))
        return 0.0;
    return realToNormalized(parameterRecord(id).defaultValue, id);
}

int programOf(double normalized)
{
    if (!std::isfinite(normalized))
        return 0;
    return int(std::lround(std::clamp(normalized, 0.0, 1.0) * (kNumPrograms - 1)));
}

std::string textOf(int id, double normalized)
{
    if (!isHostParameter(id) || !std::isfinite(normalized))
        return {};
    normalized = std::clamp(normalized, 0.0, 1.0);
    if (id == kParamProgram)
        return kFactoryPresets[programOf(normalized)].name;
    if (id == kParamCeiling)
        return ceilingText(normalized);
    return controlText(id, normalized);
}

std::optional<double> normalizedOfText(int id, std::string_view text)
{
    text = trimmed(text);
    if (id == kParamProgram)
        return programOfText(text);
    if (id == kParamCeiling)
        return ceilingOfText(text);
    return isControl(id) ? controlOfText(id, text) : std::nullopt;
}
} // namespace host_parameters

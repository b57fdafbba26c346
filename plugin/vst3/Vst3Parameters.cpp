#include "plugin/vst3/Vst3Parameters.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/HostValueText.h"
#include "engine/ParameterRecords.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace vst3_parameters
{
namespace
{
constexpr const char* kUnitNames[] = {"", "dB", "Hz", "ms"};
constexpr char kCeilingUnit[] = "dBTP";
constexpr char kOffText[] = "(off)";

bool isControl(vst3::ParamID id)
{
    return id >= vst3::ParamID(kFirstHostControl) && id < vst3::ParamID(kNumParameters);
}

bool isToggle(int index)
{
    return parameterRecord(index).unit == ParameterUnit::kNone;
}

int stepCountOf(vst3::ParamID id)
{
    if (id == kProgramId)
        return kNumPrograms - 1;
    if (id == vst3::ParamID(kParamCeiling))
        return kCeilingRecord.stepCount();
    const ParameterRecord& record = parameterRecord(int(id));
    if (isToggle(int(id)))
        return 1;
    if (record.curve == kCurveHalfDecibelSteps)
        return int(std::lround((record.maximum - record.minimum) / kHalfDecibel));
    return 0;
}

std::string ceilingText(double value)
{
    const double dB = kCeilingRecord.decibelsOfNormalized(value);
    if (!kCeilingRecord.isOn(dB))
        return kOffText;
    char number[32];
    std::snprintf(number, sizeof(number), "%.1f %s", dB, kCeilingUnit);
    return number;
}

std::string controlText(vst3::ParamID id, double value)
{
    char number[kHostTextSize] = {};
    char unit[kHostTextSize] = {};
    const double normalized = settingNormalized(id, value);
    hostDisplayText(int(id), normalized, number);
    hostLabelText(int(id), normalized, unit);
    return unit[0] ? std::string(number) + " " + unit : std::string(number);
}

// A unit's factor to the parameter's own unit; 0 for a unit that does not belong to it.
double unitFactor(std::string_view unit, ParameterUnit own)
{
    struct Scale
    {
        std::string_view name;
        ParameterUnit unit;
        double factor;
    };
    static constexpr Scale kScales[] = {
        {"dB", ParameterUnit::kDecibels, 1.0},       {"Hz", ParameterUnit::kHertz, 1.0},
        {"kHz", ParameterUnit::kHertz, 1000.0},      {"ms", ParameterUnit::kMilliseconds, 1.0},
        {"us", ParameterUnit::kMilliseconds, 0.001}, {"s", ParameterUnit::kMilliseconds, 1000.0},
        {"dBTP", ParameterUnit::kDecibels, 1.0},
    };
    if (unit.empty())
        return 1.0;
    for (const Scale& scale : kScales)
        if (scale.name == unit && scale.unit == own)
            return scale.factor;
    return 0.0;
}

std::string asciiOf(const vst3::TChar* text)
{
    std::string ascii;
    for (int i = 0; i < 128 && text[i]; ++i)
        ascii.push_back(text[i] < 128 ? char(text[i]) : '?');
    return ascii;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The number and the unit after it, in the parameter's own unit; false for anything else.
bool realOfText(std::string_view text, ParameterUnit own, double& real)
{
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || !std::isfinite(number))
        return false;
    const double factor = unitFactor(trimmed({end, size_t(text.data() + text.size() - end)}), own);
    if (factor == 0.0)
        return false;
    real = number * factor;
    return true;
}

// The text of either end of the range ("(off)" of a crossover, a switch's "on"), typed back.
bool endOfText(vst3::ParamID id, std::string_view text, double& value)
{
    for (double end : {0.0, 1.0})
    {
        if (text == controlText(id, end))
        {
            value = end;
            return true;
        }
    }
    return false;
}

// A switch typed as its plain number, 0 or 1.
bool toggleOfText(vst3::ParamID id, std::string_view text, double& value)
{
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || (number != 0 && number != 1))
        return false;
    value = normalizedOfPlain(id, number);
    return true;
}
} // namespace

int count()
{
    return kHostControlCount + 2;
}

bool isKnown(vst3::ParamID id)
{
    return isControl(id) || id == vst3::ParamID(kParamCeiling) || id == kProgramId;
}

int settingOf(vst3::ParamID id)
{
    return isControl(id) || id == vst3::ParamID(kParamCeiling) ? int(id) : -1;
}

bool describe(int position, vst3::ParameterInfo& info)
{
    if (position < 0 || position >= count())
        return false;
    info = {};
    info.unitId = vst3::kRootUnitId;
    if (position < kHostControlCount)
    {
        const int index = kFirstHostControl + position;
        const ParameterRecord& record = parameterRecord(index);
        info.id = vst3::ParamID(index);
        copyText(index == kParamBypass ? "Bypass" : record.name, info.title);
        copyText(kUnitNames[int(record.unit)], info.units);
        info.flags = vst3::ParameterInfo::kCanAutomate;
        if (index == kParamBypass)
            info.flags |= vst3::ParameterInfo::kIsBypass;
        info.defaultNormalizedValue =
            hostNormalized(info.id, realToNormalized(record.defaultValue, index));
    }
    else if (position == kHostControlCount)
    {
        info.id = vst3::ParamID(kParamCeiling);
        copyText(kCeilingRecord.name, info.title);
        copyText(kCeilingUnit, info.units);
        info.flags = vst3::ParameterInfo::kCanAutomate;
        info.defaultNormalizedValue = kCeilingRecord.normalizedOf(kCeilingRecord.offDb);
    }
    else
    {
        info.id = kProgramId;
        copyText("Program", info.title);
        info.flags = vst3::ParameterInfo::kIsProgramChange | vst3::ParameterInfo::kIsList;
    }
    std::copy(std::begin(info.title), std::end(info.title), std::begin(info.shortTitle));
    info.stepCount = stepCountOf(info.id);
    return true;
}

double settingNormalized(vst3::ParamID id, double value)
{
    value = std::clamp(value, 0.0, 1.0);
    if (isControl(id) && isToggle(int(id)))
        value = value >= 0.5 ? 1.0 : 0.0;
    return id == vst3::ParamID(kParamBypass) ? 1.0 - value : value;
}

double hostNormalized(vst3::ParamID id, double settingNormalized)
{
    return settingOf(id) >= 0 ? vst3_parameters::settingNormalized(id, settingNormalized) : 0.0;
}

int programOf(double value)
{
    return int(std::lround(std::clamp(value, 0.0, 1.0) * (kNumPrograms - 1)));
}

double plainOf(vst3::ParamID id, double value)
{
    if (id == kProgramId)
        return programOf(value);
    if (id == vst3::ParamID(kParamCeiling))
        return kCeilingRecord.decibelsOfNormalized(value);
    if (id == vst3::ParamID(kParamBypass))
        return settingNormalized(id, value) >= 0.5 ? 0.0 : 1.0;
    if (isControl(id))
        return normalizedToReal(settingNormalized(id, value), int(id));
    return value;
}

double normalizedOfPlain(vst3::ParamID id, double plain)
{
    if (id == kProgramId)
        return std::clamp(plain / (kNumPrograms - 1), 0.0, 1.0);
    if (id == vst3::ParamID(kParamCeiling))
        return kCeilingRecord.normalizedOf(plain);
    if (id == vst3::ParamID(kParamBypass))
        return plain >= 0.5 ? 1.0 : 0.0;
    if (isControl(id))
        return hostNormalized(id, std::clamp(realToNormalized(plain, int(id)), 0.0, 1.0));
    return plain;
}

bool text(vst3::ParamID id, double value, vst3::String128 target)
{
    if (!isKnown(id) || !std::isfinite(value))
        return false;
    if (id == kProgramId)
        copyText(kFactoryPresets[programOf(value)].name, target);
    else if (id == vst3::ParamID(kParamCeiling))
        copyText(ceilingText(value).c_str(), target);
    else
        copyText(controlText(id, value).c_str(), target);
    return true;
}

bool valueOfText(vst3::ParamID id, const vst3::TChar* text, double& value)
{
    if (!isKnown(id) || !text)
        return false;
    const std::string ascii = asciiOf(text);
    const std::string_view typed = trimmed(ascii);
    if (id == kProgramId)
    {
        for (int program = 0; program < kNumPrograms; ++program)
            if (typed == kFactoryPresets[program].name)
                return value = normalizedOfPlain(id, program), true;
        return false;
    }
    if (id == vst3::ParamID(kParamCeiling))
    {
        double dB = 0.0;
        if (typed == kOffText || typed == "off")
            return value = 0.0, true;
        if (!realOfText(typed, ParameterUnit::kDecibels, dB))
            return false;
        return value = normalizedOfPlain(id, dB), true;
    }
    if (endOfText(id, typed, value))
        return true;
    if (isToggle(int(id)))
        return toggleOfText(id, typed, value);
    double real = 0.0;
    if (!realOfText(typed, parameterRecord(int(id)).unit, real))
        return false;
    value = normalizedOfPlain(id, real);
    return true;
}

void copyText(const char* source, vst3::String128 target)
{
    int i = 0;
    for (; source[i] && i < 127; ++i)
        target[i] = vst3::TChar(static_cast<unsigned char>(source[i]));
    target[i] = 0;
}
} // namespace vst3_parameters

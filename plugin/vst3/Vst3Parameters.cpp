#include "plugin/vst3/Vst3Parameters.h"

#include "core/HostParameters.h"
#include "engine/ControlTable.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vst3_parameters
{
namespace
{
bool isToggle(vst3::ParamID id)
{
    return host_parameters::isSwitch(int(id));
}

std::string asciiOf(const vst3::TChar* text)
{
    std::string ascii;
    for (int i = 0; i < 128 && text[i]; ++i)
        ascii.push_back(text[i] < 128 ? char(text[i]) : '?');
    return ascii;
}
} // namespace

int count()
{
    return host_parameters::kCount;
}

bool isKnown(vst3::ParamID id)
{
    return id <= vst3::ParamID(kProgramId) && host_parameters::isHostParameter(int(id));
}

int settingOf(vst3::ParamID id)
{
    return isKnown(id) && id != kProgramId ? int(id) : -1;
}

bool describe(int position, vst3::ParameterInfo& info)
{
    const int id = host_parameters::idAt(position);
    if (id < 0)
        return false;
    info = {};
    info.id = vst3::ParamID(id);
    info.unitId = vst3::kRootUnitId;
    copyText(id == kParamBypass ? "Bypass" : host_parameters::nameOf(id), info.title);
    std::copy(std::begin(info.title), std::end(info.title), std::begin(info.shortTitle));
    copyText(host_parameters::unitOf(id), info.units);
    info.stepCount = host_parameters::stepCount(id);
    if (info.id == kProgramId)
    {
        info.flags = vst3::ParameterInfo::kIsProgramChange | vst3::ParameterInfo::kIsList;
        return true;
    }
    info.flags = vst3::ParameterInfo::kCanAutomate;
    if (id == kParamBypass)
        info.flags |= vst3::ParameterInfo::kIsBypass;
    info.defaultNormalizedValue = hostNormalized(info.id, host_parameters::defaultNormalized(id));
    return true;
}

double settingNormalized(vst3::ParamID id, double value)
{
    value = std::clamp(value, 0.0, 1.0);
    if (isToggle(id))
        value = value >= 0.5 ? 1.0 : 0.0;
    return id == vst3::ParamID(kParamBypass) ? 1.0 - value : value;
}

double hostNormalized(vst3::ParamID id, double settingNormalized)
{
    return settingOf(id) >= 0 ? vst3_parameters::settingNormalized(id, settingNormalized) : 0.0;
}

int programOf(double value)
{
    return host_parameters::programOf(value);
}

double plainOf(vst3::ParamID id, double value)
{
    if (id == kProgramId)
        return programOf(value);
    if (id == vst3::ParamID(kParamCeiling))
        return kCeilingRecord.decibelsOfNormalized(value);
    if (id == vst3::ParamID(kParamBypass))
        return settingNormalized(id, value) >= 0.5 ? 0.0 : 1.0;
    if (settingOf(id) >= 0)
        return normalizedToReal(settingNormalized(id, value), int(id));
    return value;
}

double normalizedOfPlain(vst3::ParamID id, double plain)
{
    if (id == kProgramId)
        return std::clamp(plain / host_parameters::stepCount(int(id)), 0.0, 1.0);
    if (id == vst3::ParamID(kParamCeiling))
        return kCeilingRecord.normalizedOf(plain);
    if (id == vst3::ParamID(kParamBypass))
        return plain >= 0.5 ? 1.0 : 0.0;
    if (settingOf(id) >= 0)
        return hostNormalized(id, std::clamp(realToNormalized(plain, int(id)), 0.0, 1.0));
    return plain;
}

bool text(vst3::ParamID id, double value, vst3::String128 target)
{
    if (!isKnown(id) || !std::isfinite(value))
        return false;
    const double setting = id == kProgramId ? value : settingNormalized(id, value);
    copyText(host_parameters::textOf(int(id), setting).c_str(), target);
    return true;
}

bool valueOfText(vst3::ParamID id, const vst3::TChar* text, double& value)
{
    if (!isKnown(id) || !text)
        return false;
    const auto setting = host_parameters::normalizedOfText(int(id), asciiOf(text));
    if (!setting)
        return false;
    value = id == kProgramId ? *setting : hostNormalized(id, *setting);
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

#include "plugin/clap/ClapParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace clap_parameters
{
clap_id idAt(uint32_t position)
{
    const int id = host_parameters::idAt(position < kCount ? int(position) : -1);
    return id < 0 ? kClapInvalidId : clap_id(id);
}

bool isParameter(clap_id id)
{
    return id <= kProgramId && host_parameters::isHostParameter(int(id));
}

bool describe(clap_id id, clap_param_info_t& info)
{
    if (!isParameter(id))
        return false;
    info = {};
    info.id = id;
    const int steps = host_parameters::stepCount(int(id));
    info.flags = kClapParamIsAutomatable;
    if (steps > 0)
        info.flags |= kClapParamIsStepped;
    if (host_parameters::isSwitch(int(id)) || id == kProgramId)
        info.flags |= kClapParamIsEnum;
    std::snprintf(info.name, sizeof info.name, "%s", host_parameters::nameOf(int(id)));
    info.min_value = 0.0;
    info.max_value = steps > 0 ? steps : 1.0;
    info.default_value = plainOfNormalized(id, host_parameters::defaultNormalized(int(id)));
    return true;
}

double plainOfNormalized(clap_id id, double normalized)
{
    const int steps = host_parameters::stepCount(int(id));
    return steps > 0 ? std::round(normalized * steps) : normalized;
}

int programOfPlain(double plain)
{
    return host_parameters::programOf(plain / host_parameters::stepCount(int(kProgramId)));
}

std::optional<double> normalizedOfPlain(clap_id id, double plain)
{
    if (!isParameter(id) || !std::isfinite(plain))
        return std::nullopt;
    const int steps = host_parameters::stepCount(int(id));
    if (steps == 0)
        return std::clamp(plain, 0.0, 1.0);
    return std::clamp(std::round(plain), 0.0, double(steps)) / steps;
}

bool textOf(clap_id id, double plain, char* text, uint32_t capacity)
{
    const auto normalized = normalizedOfPlain(id, plain);
    if (!normalized || !text || capacity == 0)
        return false;
    std::snprintf(text, capacity, "%s", host_parameters::textOf(int(id), *normalized).c_str());
    return true;
}

std::optional<double> plainOfText(clap_id id, const char* text)
{
    if (!isParameter(id) || !text)
        return std::nullopt;
    const auto normalized = host_parameters::normalizedOfText(int(id), text);
    if (!normalized)
        return std::nullopt;
    return plainOfNormalized(id, *normalized);
}
} // namespace clap_parameters

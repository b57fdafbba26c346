// The parameters the VST3 edition shows hosts: the host-facing controls under their record
// indices, the true-peak ceiling under kParamCeiling, and the factory programs as a
// program-change parameter. VST3 values are normalised; the bypass flag hosts expect means
// 1 = bypassed, the reverse of our "Bypass (local)" record (1 = processing on), so the bypass
// is the one value turned over on its way between the host and the settings.
#pragma once

#include "core/HostParameters.h"
#include "plugin/vst3/Vst3Interface.h"

namespace vst3_parameters
{
// The program-change parameter's id, beside the setting indices.
constexpr vst3::ParamID kProgramId = host_parameters::kParamProgram;
// The only program list, that of the root unit.
constexpr vst3::ProgramListID kProgramListId = 1;
// The controls, the ceiling and the program.
int count();

// Whether a host may name the id; the setting index of one that is a setting, else -1.
bool isKnown(vst3::ParamID id);
int settingOf(vst3::ParamID id);
// The host's description of the parameter at a position; false outside count().
bool describe(int position, vst3::ParameterInfo& info);

// A host's normalised value as the settings keep it, and back (0 to 1 both).
double settingNormalized(vst3::ParamID id, double value);
double hostNormalized(vst3::ParamID id, double settingNormalized);
// The program a program-change value selects.
int programOf(double value);

// Real units: dB, Hz, ms, dBTP, 0/1 (the bypass 1 = bypassed), the program's number.
double plainOf(vst3::ParamID id, double value);
double normalizedOfPlain(vst3::ParamID id, double plain);

// "11.5 dB", "1.24 kHz", "bypass", "-1.0 dBTP", a program's name; false for an unknown id.
bool text(vst3::ParamID id, double value, vst3::String128 text);
// The value of such a text, the unit optional ("11.5", "1.24 kHz", "on"); false, and value
// untouched, for text that names no value of the parameter.
bool valueOfText(vst3::ParamID id, const vst3::TChar* text, double& value);

// ASCII into a host's UTF-16 field, cut to fit with the terminator.
void copyText(const char* source, vst3::String128 target);
} // namespace vst3_parameters

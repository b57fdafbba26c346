// The parameters the CLAP edition shows hosts: the host-facing controls under their record
// indices (13 to 27), the true-peak ceiling under kParamCeiling and the factory program choice
// under kProgramId, ids kept forever. A stepped parameter's plain value is its step (the 0.5 dB
// knobs, the switches, the ceiling with "off" at 0, the program's number); a continuous one's
// is its normalised value.
#pragma once

#include "core/HostParameters.h"
#include "plugin/clap/ClapInterface.h"

#include <cstdint>
#include <optional>

namespace clap_parameters
{
// The controls, the ceiling and the program choice.
constexpr uint32_t kCount = host_parameters::kCount;
// Choosing a program loads its settings, as a host's program change does; no host here lists
// CLAP presets.
constexpr clap_id kProgramId = host_parameters::kParamProgram;

// The id at a position of the host's list; kClapInvalidId past its end.
clap_id idAt(uint32_t position);
bool isParameter(clap_id id);

// What the host's list shows of the parameter: name, flags, range and default.
bool describe(clap_id id, clap_param_info_t& info);

// Plain values and the normalised values CParameterValues keeps. plainOf() rounds a stepped
// parameter's value to its step and holds it to the range; nothing for a non-finite value.
double plainOfNormalized(clap_id id, double normalized);
std::optional<double> normalizedOfPlain(clap_id id, double plain);

// The program a plain value of kProgramId chooses.
int programOfPlain(double plain);

// The value's text with its unit, as the knob shows it ("-3.5 dB", "1.24 kHz", "off").
bool textOf(clap_id id, double plain, char* text, uint32_t capacity);
// The plain value of such a text; also takes a number alone (in the parameter's unit), another
// unit of the same kind ("850 Hz", "0.85 kHz") and the switches' words.
std::optional<double> plainOfText(clap_id id, const char* text);
} // namespace clap_parameters

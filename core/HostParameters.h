// The parameters the newer formats (CLAP, VST3) show hosts, in the hosts' list order: the
// host-facing controls under their indices (13 to 27), the true-peak ceiling under
// kParamCeiling, and the factory program choice under kParamProgram; ids kept forever. Values
// are normalised as CParameterValues keeps them (0 to 1); a stepped parameter takes the
// values step / stepCount().
#pragma once

#include "engine/ParameterRecords.h"

#include <optional>
#include <string>
#include <string_view>

namespace host_parameters
{
// The program choice: choosing one loads its settings, as a host's program change does.
constexpr int kParamProgram = 1000;
constexpr int kCount = kHostControlCount + 2;

// The id at a position of the hosts' list; -1 past its end.
int idAt(int position);
bool isHostParameter(int id);

const char* nameOf(int id);
// "dB", "Hz", "ms", "dBTP", or empty.
const char* unitOf(int id);
// The number of steps over the range; 0 for a continuous parameter.
int stepCount(int id);
// Two values with a word each: the switches.
bool isSwitch(int id);
double defaultNormalized(int id);
// The program a normalised value of kParamProgram chooses.
int programOf(double normalized);

// The value's text with its unit, as the knob shows it ("-3.5 dB", "1.24 kHz", "-1.0 dBTP",
// "OFF", a program's name); empty for an id that is not a host parameter.
std::string textOf(int id, double normalized);
// The normalised value of such a text; also a number alone (in the parameter's unit), another
// unit of the same kind ("850 Hz", "0.85 kHz"), a switch's 0 or 1, a program's number. Nothing
// for text that names no value of the parameter.
std::optional<double> normalizedOfText(int id, std::string_view text);
} // namespace host_parameters

// Turns the user's "Name=value" settings and program choices into parameter indices and
// real values, checked against the control table and the factory programs.
#pragma once

#include <string>

// One parameter given in its real units (dB, Hz, ms, or 0/1 for a switch).
struct ParameterSetting
{
    int index;
    double value;
};

// Parses "Name=value" where Name is a control-table name (exact, else ignoring case) and
// value a number within that parameter's range. Throws RenderError otherwise.
ParameterSetting parseParameterSetting(const std::string& text);

// Parses a program number (0 to 4) or a factory program name (exact, else ignoring case).
// Throws RenderError otherwise.
int parseProgram(const std::string& text);

// The parameter names and ranges, and the program names, one per line, for --help.
std::string parameterListText();

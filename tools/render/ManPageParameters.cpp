// vrn07-man-page TEMPLATE PAGE: writes the renderer's manual page, with the lines of its
// PARAMETERS and PROGRAMS sections made from the parameter records and the factory presets.
#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace
{
constexpr char kParametersMark[] = ".\\\" parameters";
constexpr char kProgramsMark[] = ".\\\" programs";

// roff reads a leading or lone '-' as a hyphen: a minus sign is written "\-".
std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    std::string written;
    for (const char* c = text; *c; ++c)
        written += *c == '-' ? std::string("\\-") : std::string(1, *c);
    return written;
}

const char* unitName(ParameterUnit unit)
{
    switch (unit)
    {
    case ParameterUnit::kDecibels:
        return "dB, ";
    case ParameterUnit::kHertz:
        return "Hz, ";
    case ParameterUnit::kMilliseconds:
        return "ms, ";
    case ParameterUnit::kNone:
        break;
    }
    return "";
}

// One line per control the renderer's --set takes, with its range and default.
void writeParameters(std::ostream& out)
{
    for (int index = kFirstHostControl; index < kNumParameters; ++index)
    {
        const ParameterRecord& record = kParameterRecords[index];
        out << ".TP\n.B " << record.name << "\n";
        if (record.formatter == nullptr)
            out << "0 or 1";
        else
            out << unitName(record.unit) << number(record.minimum) << " to "
                << number(record.maximum);
        out << "; default " << number(record.defaultValue) << ".\n";
    }
}

void writePrograms(std::ostream& out)
{
    for (int program = 0; program < kNumPrograms; ++program)
        out << (program ? ", " : "") << program << " " << kFactoryPresets[program].name;
    out << ".\n";
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: vrn07-man-page TEMPLATE PAGE\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::ofstream out(argv[2]);
    std::string line;
    while (std::getline(in, line))
    {
        if (line == kParametersMark)
            writeParameters(out);
        else if (line == kProgramsMark)
            writePrograms(out);
        else
            out << line << "\n";
    }
    out.close();
    if (!in.eof() || !out)
    {
        std::cerr << "vrn07-man-page: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}

// Writes the Turtle files of the LV2 bundle from the control table and the factory presets,
// so that the ports' names, ranges and defaults and the presets' values are never written
// twice:
//
//   vrn07-lv2-describe FOLDER PLUGIN_BINARY UI_BINARY MINOR MICRO
//
// FOLDER gets manifest.ttl, VRN-07.ttl and presets.ttl.
#include "core/Processor.h"
#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/ParameterRecords.h"
#include "plugin/Version.h"
#include "plugin/lv2/Lv2Ports.h"
#include "plugin/lv2/Lv2Uris.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

namespace
{
constexpr char kPrefixes[] = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .

)";
constexpr char kPluginName[] = "VRN-07";
constexpr char kDescriptionFile[] = "VRN-07.ttl";
constexpr char kPresetsFile[] = "presets.ttl";
// The licence, in the bundle's documents.
constexpr char kLicenceFile[] = "documents/licences/VRN-07.txt";

struct Arguments
{
    std::string folder;
    std::string pluginBinary;
    std::string uiBinary;
    std::string minorVersion;
    std::string microVersion;
};

// The shortest decimal that reads back as the same double, always with a point or an
// exponent, so that Turtle reads it as a number with a fraction.
std::string number(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
    std::string written(text, end);
    if (written.find_first_of(".e") == std::string::npos)
        written += ".0";
    return written;
}

std::string uri(const char* text)
{
    return std::string("<") + text + ">";
}

std::string presetUri(const FactoryPreset& preset)
{
    std::string name = preset.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return uri((lv2::kPresetUriPrefix + name).c_str());
}

// A value as the knob shows it: a half-decibel control's on its step.
double shownValue(const ParameterRecord& record, int index, double value)
{
    if (record.curve != kCurveHalfDecibelSteps)
        return value;
    return normalizedToReal(realToNormalized(value, index), index);
}

const char* unitOf(ParameterUnit unit)
{
    switch (unit)
    {
    case ParameterUnit::kDecibels:
        return "units:db";
    case ParameterUnit::kHertz:
        return "units:hz";
    case ParameterUnit::kMilliseconds:
        return "units:ms";
    case ParameterUnit::kNone:
        break;
    }
    return nullptr;
}

void writeParameterPort(std::ostream& out, int index)
{
    const ParameterRecord& record = parameterRecord(index);
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2::portOfParameter(index) << " ;\n"
        << "        lv2:symbol \"" << record.symbol << "\" ;\n"
        << "        lv2:name \"" << record.name << "\" ;\n"
        << "        lv2:default " << number(shownValue(record, index, record.defaultValue))
        << " ;\n"
        << "        lv2:minimum " << number(record.minimum) << " ;\n"
        << "        lv2:maximum " << number(record.maximum) << " ;\n";
    if (index == kParamBypass)
        out << "        lv2:designation lv2:enabled ;\n";
    if (const char* unit = unitOf(record.unit))
        out << "        units:unit " << unit << " ;\n";
    if (record.formatter == nullptr)
        out << "        lv2:portProperty lv2:toggled ;\n";
    if (record.curve == kCurveLogarithmic)
        out << "        lv2:portProperty pprops:logarithmic ;\n";
    if (record.curve == kCurveHalfDecibelSteps)
        out << "        pprops:rangeSteps "
            << int((record.maximum - record.minimum) / kHalfDecibel) + 1 << " ;\n";
    // The crossovers' ends switch their outer band off.
    if (record.formatter == formatCrossover)
    {
        const double end = index == kParamCrossoverLow ? record.minimum : record.maximum;
        out << "        lv2:scalePoint [ rdfs:label \"off\" ; rdf:value " << number(end)
            << " ] ;\n";
    }
}

void writeLatencyPort(std::ostream& out)
{
    out << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2::kPortLatency << " ;\n"
        << "        lv2:symbol \"" << lv2::kLatencySymbol << "\" ;\n"
        << "        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        lv2:minimum 0 ;\n"
        << "        lv2:maximum " << CProcessor::largestLatencyFrames() << " ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
        << "        units:unit units:frame ;\n";
}

// Off at its bottom, then the ceiling in dBTP.
void writeCeilingPort(std::ostream& out)
{
    const CeilingRecord& ceiling = kCeilingRecord;
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2::kPortTruePeakCeiling << " ;\n"
        << "        lv2:symbol \"" << ceiling.symbol << "\" ;\n"
        << "        lv2:name \"" << ceiling.name << "\" ;\n"
        << "        lv2:default " << number(ceiling.offDb) << " ;\n"
        << "        lv2:minimum " << number(ceiling.offDb) << " ;\n"
        << "        lv2:maximum " << number(ceiling.maximumDb) << " ;\n"
        << "        units:unit units:db ;\n"
        << "        pprops:rangeSteps "
        << std::lround((ceiling.maximumDb - ceiling.offDb) / ceiling.stepDb) + 1 << " ;\n"
        << "        lv2:scalePoint [ rdfs:label \"off\" ; rdf:value " << number(ceiling.offDb)
        << " ] ;\n";
}

// Where the plug-in tells the host that its state changed. Optional, so that hosts without
// atom ports (lv2apply) still run the plug-in.
void writeNotifyPort(std::ostream& out)
{
    out << "        a lv2:OutputPort , atom:AtomPort ;\n"
        << "        lv2:index " << lv2::kPortNotify << " ;\n"
        << "        lv2:symbol \"" << lv2::kNotifySymbol << "\" ;\n"
        << "        lv2:name \"Notify\" ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n";
}

void writeAudioPort(std::ostream& out, uint32_t index, const char* direction, const char* symbol,
                    const char* name)
{
    out << "        a lv2:" << direction << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n";
}

void writePorts(std::ostream& out)
{
    const auto open = [&out](bool first) { out << (first ? "    lv2:port [\n" : "    ] , [\n"); };
    open(true);
    writeAudioPort(out, lv2::kPortInputLeft, "InputPort", "in_left", "Left In");
    open(false);
    writeAudioPort(out, lv2::kPortInputRight, "InputPort", "in_right", "Right In");
    open(false);
    writeAudioPort(out, lv2::kPortOutputLeft, "OutputPort", "out_left", "Left Out");
    open(false);
    writeAudioPort(out, lv2::kPortOutputRight, "OutputPort", "out_right", "Right Out");
    for (int index = lv2::kFirstPortParameter; index < kNumParameters; ++index)
    {
        open(false);
        writeParameterPort(out, index);
    }
    open(false);
    writeLatencyPort(out);
    open(false);
    writeCeilingPort(out);
    open(false);
    writeNotifyPort(out);
    out << "    ] .\n";
}

// The keys of the saved settings, as properties with float values.
void writeSettingKeys(std::ostream& out)
{
    for (const lv2::SettingKey& key : lv2::kSettingKeys)
        out << "\n"
            << uri(key.uri) << "\n"
            << "    a rdf:Property ;\n"
            << "    rdfs:label \"" << findControlRow(key.index).name << "\" ;\n"
            << "    rdfs:range xsd:float .\n";
}

void writeDescription(std::ostream& out, const Arguments& arguments)
{
    out << kPrefixes;
    out << uri(lv2::kPluginUri) << "\n"
        << "    a lv2:Plugin , lv2:LimiterPlugin , doap:Project ;\n"
        << "    doap:name \"" << kPluginName << "\" ;\n"
        << "    doap:maintainer [ foaf:name \"" << kVendorName << "\" ] ;\n"
        << "    doap:license <" << kLicenceFile << "> ;\n"
        << "    lv2:minorVersion " << arguments.minorVersion << " ;\n"
        << "    lv2:microVersion " << arguments.microVersion << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui " << uri(lv2::kUiUri) << " ;\n";
    writePorts(out);
    out << "\n"
        << uri(lv2::kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch ,\n"
        << "        <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
    writeSettingKeys(out);
}

void writePresetPorts(std::ostream& out, const FactoryPreset& preset)
{
    bool first = true;
    for (const PresetEntry& entry : preset.entries)
    {
        if (entry.index < 0)
            break;
        if (!lv2::hasPort(entry.index))
            continue;
        out << (first ? "    lv2:port [\n" : "    ] , [\n") << "        lv2:symbol \""
            << parameterRecord(entry.index).symbol << "\" ;\n"
            << "        pset:value "
            << number(shownValue(parameterRecord(entry.index), entry.index, entry.value)) << " ;\n";
        first = false;
    }
    if (!first)
        out << "    ]";
}

// The editor-only settings a program sets, as the saved state holds them.
void writePresetState(std::ostream& out, const FactoryPreset& preset)
{
    bool first = true;
    for (const PresetEntry& entry : preset.entries)
    {
        if (entry.index < 0)
            break;
        for (const lv2::SettingKey& key : lv2::kSettingKeys)
        {
            if (key.index != entry.index)
                continue;
            out << (first ? " ;\n    state:state [\n" : " ;\n") << "        " << uri(key.uri)
                << " \"" << number(entry.value) << "\"^^xsd:float";
            first = false;
        }
    }
    if (!first)
        out << "\n    ]";
}

void writePresets(std::ostream& out)
{
    out << kPrefixes;
    for (const FactoryPreset& preset : kFactoryPresets)
    {
        out << presetUri(preset) << "\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo " << uri(lv2::kPluginUri) << " ;\n"
            << "    rdfs:label \"" << preset.name << "\" ;\n";
        writePresetPorts(out, preset);
        writePresetState(out, preset);
        out << " .\n\n";
    }
}

void writeManifest(std::ostream& out, const Arguments& arguments)
{
    out << kPrefixes;
    out << uri(lv2::kPluginUri) << "\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary <" << arguments.pluginBinary << "> ;\n"
        << "    rdfs:seeAlso <" << kDescriptionFile << "> .\n\n"
        << uri(lv2::kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << arguments.uiBinary << "> ;\n"
        << "    rdfs:seeAlso <" << kDescriptionFile << "> .\n";
    for (const FactoryPreset& preset : kFactoryPresets)
    {
        out << "\n"
            << presetUri(preset) << "\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo " << uri(lv2::kPluginUri) << " ;\n"
            << "    rdfs:seeAlso <" << kPresetsFile << "> .\n";
    }
}

template <typename Writer> bool writeFile(const std::string& path, Writer&& write)
{
    std::ofstream file(path, std::ios::binary);
    write(file);
    file.close();
    if (!file)
        std::cerr << "vrn07-lv2-describe: cannot write " << path << "\n";
    return bool(file);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
    {
        std::cerr << "usage: vrn07-lv2-describe FOLDER PLUGIN_BINARY UI_BINARY MINOR MICRO\n";
        return 2;
    }
    const Arguments arguments{argv[1], argv[2], argv[3], argv[4], argv[5]};
    const std::string folder = arguments.folder + "/";
    const bool written =
        writeFile(folder + "manifest.ttl",
                  [&](std::ostream& out) { writeManifest(out, arguments); }) &&
        writeFile(folder + kDescriptionFile,
                  [&](std::ostream& out) { writeDescription(out, arguments); }) &&
        writeFile(folder + kPresetsFile, [](std::ostream& out) { writePresets(out); });
    return written ? 0 : 1;
}

// The bundle as lv2info reads it: every port with the name, range, default and unit of its
// control table row, the latency port, the user interface and the five presets.
#include "tests/lv2/ToolRun.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "plugin/lv2/Lv2Ports.h"
#include "plugin/lv2/Lv2Uris.h"
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
// The part of the text from "start" to the next "end" (or the text's end).
std::string section(const std::string& text, const std::string& start, const std::string& end)
{
    const size_t from = text.find(start);
    if (from == std::string::npos)
        return {};
    const size_t to = text.find(end, from + start.size());
    return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The number after "label:" in a port's section of lv2info's listing.
double numberAfter(const std::string& port, const std::string& label)
{
    const size_t at = port.find(label + ":");
    return at == std::string::npos ? std::nan("") : std::atof(port.c_str() + at + label.size() + 1);
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class Lv2Description : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        const ToolResult result = runTool({"lv2info", lv2::kPluginUri});
        ASSERT_EQ(result.status, 0);
        listing_ = result.out;
        ScratchFolder folder;
        const std::string turtle = folder.path("description.ttl");
        ASSERT_EQ(runTool({"lv2info", "-p", turtle, lv2::kPluginUri}).status, 0);
        turtle_ = textOf(turtle);
    }
    static std::string port(uint32_t index)
    {
        return section(listing_, "\tPort " + std::to_string(index) + ":", "\tPort ");
    }
    // The port's statements in lv2info's Turtle output: the brackets around its symbol.
    static std::string portStatements(const char* symbol)
    {
        const size_t at = turtle_.find(std::string("lv2:symbol \"") + symbol + "\"");
        if (at == std::string::npos)
            return {};
        size_t from = at;
        for (int depth = 0; from > 0 && !(turtle_[from] == '[' && depth == 0); --from)
            depth += turtle_[from] == ']' ? 1 : (turtle_[from] == '[' ? -1 : 0);
        size_t to = at;
        for (int depth = 0; to < turtle_.size() && !(turtle_[to] == ']' && depth == 0); ++to)
            depth += turtle_[to] == '[' ? 1 : (turtle_[to] == ']' ? -1 : 0);
        return turtle_.substr(from, to - from);
    }

    static std::string listing_;
    static std::string turtle_;
};
std::string Lv2Description::listing_;
std::string Lv2Description::turtle_;
} // namespace

TEST_F(Lv2Description, ListsTheParametersAsControlsWithTheTablesNamesRangesAndDefaults)
{
    for (int index = lv2::kFirstPortParameter; index < kNumParameters; ++index)
    {
        const ControlRow& row = findControlRow(index);
        SCOPED_TRACE(row.name);
        const std::string text = port(lv2::portOfParameter(index));
        EXPECT_TRUE(contains(text, "lv2core#ControlPort"));
        EXPECT_TRUE(contains(text, "lv2core#InputPort"));
        EXPECT_TRUE(contains(text, std::string("Name:        ") + row.name + "\n"));
        EXPECT_DOUBLE_EQ(numberAfter(text, "Minimum"), row.minimum);
        EXPECT_DOUBLE_EQ(numberAfter(text, "Maximum"), row.maximum);
        // A half-decibel control's default is the step the knob shows (2.01 reads 2.0 dB).
        const double shown =
            row.curve == kCurveHalfDecibelSteps
                ? normalizedToReal(realToNormalized(row.defaultValue, index), index)
                : row.defaultValue;
        EXPECT_NEAR(numberAfter(text, "Default"), shown, 1e-5 * std::abs(shown));
        EXPECT_EQ(contains(text, "port-props#logarithmic"), row.curve == kCurveLogarithmic);
        EXPECT_EQ(contains(text, "lv2core#toggled"), row.formatter == nullptr);
    }
    EXPECT_TRUE(contains(port(lv2::portOfParameter(kParamBypass)), "lv2core#enabled"));
}

TEST_F(Lv2Description, GivesEveryControlItsUnitAndTheHalfDecibelSteps)
{
    const auto unitOf = [](int index)
    {
        const std::string statements = portStatements(parameterRecord(index).symbol);
        for (const char* unit : {"#db>", "#hz>", "#ms>"})
            if (contains(statements, std::string("units") + unit))
                return std::string(unit);
        return std::string();
    };
    EXPECT_EQ(unitOf(kParamThresholdLow), "#db>");
    EXPECT_EQ(unitOf(kParamOutputGain), "#db>");
    EXPECT_EQ(unitOf(kParamCrossoverHigh), "#hz>");
    EXPECT_EQ(unitOf(kParamRelease), "#ms>");
    EXPECT_EQ(unitOf(kParamSafeClip), "");
    // 0.5 dB apart from -18 to +18: 73 values.
    EXPECT_TRUE(contains(portStatements("threshold_low"), "rangeSteps> 73"));
    EXPECT_TRUE(contains(portStatements("limiter_gain"), "rangeSteps> 49"));
}

TEST_F(Lv2Description, HasStereoAudioAndReportsItsLatencyOnAPort)
{
    for (const uint32_t index : {lv2::kPortInputLeft, lv2::kPortInputRight})
        EXPECT_TRUE(contains(port(index), "lv2core#AudioPort") &&
                    contains(port(index), "lv2core#InputPort"));
    for (const uint32_t index : {lv2::kPortOutputLeft, lv2::kPortOutputRight})
        EXPECT_TRUE(contains(port(index), "lv2core#AudioPort") &&
                    contains(port(index), "lv2core#OutputPort"));
    const std::string latency = port(lv2::kPortLatency);
    EXPECT_TRUE(contains(latency, "Symbol:      latency"));
    EXPECT_TRUE(contains(latency, "lv2core#OutputPort"));
    EXPECT_TRUE(contains(latency, "lv2core#reportsLatency"));
    EXPECT_TRUE(contains(latency, "Designation: http://lv2plug.in/ns/lv2core#latency"));
    // A generic view shows a range around the value.
    EXPECT_EQ(numberAfter(latency, "Minimum"), 0.0);
    EXPECT_GT(numberAfter(latency, "Maximum"), 15.0);
    EXPECT_TRUE(contains(listing_, "Has latency:       yes, reported by port " +
                                       std::to_string(lv2::kPortLatency)));
}

TEST_F(Lv2Description, OffersTheX11UserInterfaceAndTheFivePrograms)
{
    EXPECT_TRUE(contains(listing_, std::string(lv2::kUiUri) + "\n"));
    EXPECT_TRUE(contains(listing_, "Class:  http://lv2plug.in/ns/extensions/ui#X11UI"));
    const std::string presets = section(listing_, "Presets:", "\tPort ");
    for (const FactoryPreset& preset : kFactoryPresets)
        EXPECT_TRUE(contains(presets, std::string(" ") + preset.name + "\n")) << preset.name;
    EXPECT_TRUE(contains(listing_, "http://lv2plug.in/ns/ext/state#interface"));
}

TEST_F(Lv2Description, OffersTheTruePeakCeilingOffByDefault)
{
    const std::string text = port(lv2::kPortTruePeakCeiling);
    EXPECT_TRUE(contains(text, "Symbol:      true_peak_ceiling"));
    EXPECT_TRUE(contains(text, "Name:        True Peak Ceiling"));
    EXPECT_DOUBLE_EQ(numberAfter(text, "Default"), kCeilingRecord.offDb);
    EXPECT_DOUBLE_EQ(numberAfter(text, "Minimum"), kCeilingRecord.offDb);
    EXPECT_DOUBLE_EQ(numberAfter(text, "Maximum"), 0.0);
    EXPECT_TRUE(contains(text, "-6.5 = \"off\""));
    // -6.5, then -6.0 to 0.0 in tenths.
    EXPECT_TRUE(contains(portStatements("true_peak_ceiling"), "rangeSteps> 66"));
}

// Hosts show a preset's value as it is written: a half-decibel control's on its step (Output
// Gain 2.0 dB, as the knob shows the table's 2.01).
TEST_F(Lv2Description, WritesThePresetsHalfDecibelValuesOnTheirSteps)
{
    const std::string presets = textOf(VRN07_LV2_PATH "/VRN-07.lv2/presets.ttl");
    int values = 0;
    for (int index = lv2::kFirstPortParameter; index < kNumParameters; ++index)
    {
        if (findControlRow(index).curve != kCurveHalfDecibelSteps)
            continue;
        const char* symbol = parameterRecord(index).symbol;
        const std::string statement = std::string("lv2:symbol \"") + symbol + "\"";
        for (size_t at = presets.find(statement); at != std::string::npos;
             at = presets.find(statement, at + 1), ++values)
        {
            const double value = std::atof(presets.c_str() + presets.find("pset:value", at) + 10);
            EXPECT_EQ(2.0 * value, std::round(2.0 * value)) << symbol << " " << value;
        }
    }
    EXPECT_GT(values, 0);
}

// sord_validate with LV2's own vocabularies (the bundles under /usr/lib/lv2 that describe no
// plug-in) reports nothing on the bundle.
TEST(Lv2Turtle, ValidatesAgainstLv2sOwnVocabularies)
{
    if (runTool({"sh", "-c", "command -v sord_validate"}).status != 0)
        GTEST_SKIP() << "sord_validate (Debian's sordi) is not installed";
    std::vector<std::string> command = {"sh", "-c", "sord_validate \"$@\" 2>&1", "sh"};
    for (const auto& bundle : std::filesystem::directory_iterator("/usr/lib/lv2"))
    {
        if (contains(textOf(bundle.path() / "manifest.ttl"), "lv2:Plugin"))
            continue;
        for (const auto& file : std::filesystem::directory_iterator(bundle.path()))
            if (file.path().extension() == ".ttl")
                command.push_back(file.path());
    }
    for (const char* file : {"manifest.ttl", "VRN-07.ttl", "presets.ttl"})
        command.push_back(std::string(VRN07_LV2_PATH "/VRN-07.lv2/") + file);
    const ToolResult result = runTool(command);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("Found 0 errors among ")) << result.out;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
}

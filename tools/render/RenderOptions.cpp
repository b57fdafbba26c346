#include "tools/render/RenderOptions.h"

#include "engine/ParameterRecords.h"
#include "tools/render/DeliveryPresets.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace
{
constexpr double kMinTargetLufs = -60.0;
constexpr double kMaxTargetLufs = 0.0;

int parseWholeNumber(const std::string& name, const std::string& text, int lowest, int highest)
{
    int number = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    if (result.ec != std::errc() || result.ptr != end || number < lowest || number > highest)
        throw RenderError(name + " takes a whole number from " + std::to_string(lowest) + " to " +
                          std::to_string(highest) + ", not \"" + text + "\"");
    return number;
}

double parseDecibels(const std::string& name, const std::string& text, double lowest,
                     double highest, const char* unit)
{
    double number = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, number);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(number) ||
        number < lowest || number > highest)
        throw RenderError(name + " takes " + unit + " from " + std::to_string(int(lowest)) +
                          " to " + std::to_string(int(highest)) + ", not \"" + text + "\"");
    return number;
}

// The stage works in steps: a ceiling between two steps takes the lower one, so that the
// output never goes above the ceiling asked for.
double parseCeiling(const std::string& text)
{
    const double dB = parseDecibels("--ceiling", text, kCeilingRecord.minimumDb,
                                    kCeilingRecord.maximumDb, "dBTP");
    const double stepsPerDb = 1.0 / kCeilingRecord.stepDb;
    return std::floor(dB * stepsPerDb + 1e-9) / stepsPerDb;
}

int parseBits(const std::string& text)
{
    if (text == "16" || text == "24" || text == "32")
        return std::stoi(text);
    throw RenderError("--bits takes 16, 24 or 32 (float), not \"" + text + "\"");
}

std::string parseFormat(const std::string& text)
{
    for (const char* format : {"wav", "flac", "aif", "aiff", "ogg"})
        if (text == format)
            return std::string(".") + format;
    throw RenderError("--format takes wav, flac, aif, aiff or ogg, not \"" + text + "\"");
}

const std::string& nonEmpty(const std::string& value, const char* what)
{
    if (value.empty())
        throw RenderError(what);
    return value;
}

bool isOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

// The options of the playback through the plug-in; false for a name that is not one.
bool takePlaybackValue(RenderOptions& options, const std::string& name, const std::string& value)
{
    if (name == "--program")
    {
        options.program = parseProgram(value);
        options.programChosen = true;
    }
    else if (name == "--set")
        options.settings.push_back(parseParameterSetting(value));
    else if (name == "--block")
        options.blockFrames = parseWholeNumber("--block", value, 1, kMaxBlockFrames);
    else if (name == "--plugin")
        options.pluginPath = nonEmpty(value, "--plugin needs the path of a plug-in binary");
    else if (name == "--snapshot")
        options.snapshotPath = nonEmpty(value, "--snapshot needs the path of a PNG file");
    else if (name == "--view")
    {
        if (value != "spectrum" && value != "waveform")
            throw RenderError("--view takes spectrum or waveform, not \"" + value + "\"");
        options.spectrumView = value == "spectrum";
    }
    else
        return false;
    return true;
}

// The options of the delivery and the batch; false for a name that is not one.
bool takeDeliveryValue(RenderOptions& options, const std::string& name, const std::string& value)
{
    if (name == "--ceiling")
        options.ceilingDb = parseCeiling(value);
    else if (name == "--target")
        options.targetLufs =
            parseDecibels("--target", value, kMinTargetLufs, kMaxTargetLufs, "LUFS");
    else if (name == "--delivery")
        options.deliveryName = value;
    else if (name == "--bits")
        options.bits = parseBits(value);
    else if (name == "--report")
        options.reportPath = nonEmpty(value, "--report needs the path of a JSON file");
    else if (name == "--out-dir")
        options.outDir = nonEmpty(value, "--out-dir needs a folder");
    else if (name == "--format")
        options.formatExtension = parseFormat(value);
    else if (name == "--jobs")
        options.jobs = parseWholeNumber("--jobs", value, 1, kMaxJobs);
    else
        return false;
    return true;
}

bool takesValue(const std::string& name)
{
    static const char* const kNames[] = {
        "--program", "--set",      "--block", "--plugin", "--snapshot", "--view",   "--ceiling",
        "--target",  "--delivery", "--bits",  "--report", "--out-dir",  "--format", "--jobs"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

bool takeSwitch(RenderOptions& options, const std::string& argument)
{
    if (argument == "--bypass")
        options.bypass = true;
    else if (argument == "--raw")
        options.raw = true;
    else if (argument == "--demo")
        options.demo = true;
    else if (argument == "--album")
        options.album = true;
    else if (argument == "--no-dither")
        options.dither = false;
    else if (argument == "--help" || argument == "-h")
        options.help = true;
    else
        return false;
    return true;
}

void placePaths(RenderOptions& options, const std::vector<std::string>& paths)
{
    if (!options.outDir.empty())
    {
        if (options.demo || paths.empty())
            throw RenderError("--out-dir renders the files and folders given; give at least one");
        options.inputPaths = paths;
        return;
    }
    if (!options.formatExtension.empty())
        throw RenderError("--format names the format of the files written into --out-dir");
    if (options.demo || paths.empty())
    {
        if (paths.size() > 1)
            throw RenderError("the demo takes no input file, only OUT");
        options.demo = true;
        options.outputPath = paths.empty() ? "" : paths[0];
        return;
    }
    if (paths.size() > 2)
        throw RenderError("too many files: \"" + paths[2] +
                          "\" (give IN and OUT, or several inputs with --out-dir)");
    options.inputPath = paths[0];
    if (paths.size() == 2)
        options.outputPath = paths[1];
}

// A preset gives the target and the ceiling that were not given on their own; a target
// without a ceiling gets the stage at its default ceiling.
void applyDelivery(RenderOptions& options)
{
    if (!options.deliveryName.empty())
    {
        const DeliveryPreset* preset = findDeliveryPreset(options.deliveryName);
        if (!preset)
            throw RenderError("unknown delivery \"" + options.deliveryName + "\" (see --help)");
        options.deliveryName = preset->name;
        if (!options.targetLufs)
            options.targetLufs = preset->targetLufs;
        if (!options.ceilingDb)
            options.ceilingDb = preset->ceilingDb;
    }
    if (options.targetLufs && !options.ceilingDb)
        options.ceilingDb = -1.0;
    if (options.album && !options.targetLufs)
        throw RenderError("--album needs a loudness target (--target or --delivery)");
}
} // namespace

RenderOptions parseOptions(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        if (!isOption(argument))
        {
            paths.push_back(argument);
            continue;
        }
        // Options that take a value accept both "--block 64" and "--block=64".
        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (takesValue(name))
        {
            if (equals == std::string::npos && i + 1 >= arguments.size())
                throw RenderError(name + " needs a value");
            const std::string value =
                equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
            if (!takePlaybackValue(options, name, value))
                takeDeliveryValue(options, name, value);
        }
        else if (!takeSwitch(options, argument))
            throw RenderError("unknown option " + argument + " (see --help)");
    }
    if (options.help)
        return options;
    placePaths(options, paths);
    applyDelivery(options);
    if (!options.snapshotPath.empty() && !options.pluginPath.empty())
        throw RenderError("--snapshot draws the built-in editor and cannot be used with --plugin");
    if (!options.snapshotPath.empty() && !options.outDir.empty())
        throw RenderError("--snapshot draws the editor of one render and cannot be used with "
                          "--out-dir");
    return options;
}

std::string usageText()
{
    return "Usage: vrn07-render [IN] [OUT] [options]\n"
           "       vrn07-render [--demo] [OUT] [options]\n"
           "       vrn07-render IN... --out-dir DIR [options]\n"
           "\n"
           "Plays the audio file IN through the VRN-07 limiter and writes OUT: a 32-bit float\n"
           "WAV, or by its extension .wav (float), .flac (24-bit), .aif/.aiff (float) or .ogg\n"
           "(Vorbis). OUT defaults to IN's name with -out.wav, beside IN; a folder as OUT takes\n"
           "that name inside it. IN may be mono (played to both inputs) or stereo.\n"
           "OUT is as long as IN and aligned with it: silence played after IN pushes out\n"
           "what the plug-in's delay holds back, and the delayed start is left out.\n"
           "OUT is never IN, and replaces only a regular file you may write (through a\n"
           "symlink, the file it leads to); it is written whole or not at all.\n"
           "Without IN (or with --demo) a built-in 10-second demo programme is written as\n"
           "demo-in.wav and processed into demo-out.wav, in the current folder or in OUT's.\n"
           "Prints the sample peak, true peak, integrated loudness and loudness range of input\n"
           "and output, and the deepest gain reduction of each band.\n"
           "\n"
           "Options:\n"
           "  --program N|NAME      load a factory program first (default 0)\n"
           "  --set \"Name=value\"    set a parameter in its real units after the program;\n"
           "                        may be repeated (dB, Hz, ms, or 0/1 for switches)\n"
           "  --block FRAMES        host block size, 1 to 1048576 (default 512)\n"
           "  --bypass              switch the effect's own bypass on (no delay then)\n"
           "  --raw                 write what a host without delay compensation records:\n"
           "                        OUT delayed by the plug-in and cut to IN's length (the\n"
           "                        true-peak stage's own look-ahead is still removed)\n"
           "  --plugin PATH         load that plug-in binary instead of the built-in code\n"
           "                        (the band gain reduction is then not available)\n"
           "  --snapshot PNG        open the editor without a window while the audio plays\n"
           "                        (ticking every 25 ms of audio) and draw its last frame\n"
           "  --view spectrum|waveform\n"
           "                        the viewer the snapshot shows (default waveform)\n"
           "  --help                show this text\n"
           "\n"
           "Delivery:\n"
           "  --ceiling DBTP        a true-peak limiter after the plug-in holds OUT's true\n"
           "                        peak at or below DBTP (-6 to 0, in steps of 0.1 dB)\n"
           "  --target LUFS         find the drive (the host's gain in front of the plug-in,\n"
           "                        -48 to +24 dB) that gives OUT this integrated loudness,\n"
           "                        within 0.1 LU; implies --ceiling -1 unless given\n"
           "  --delivery NAME       a named target and ceiling (either may be overridden):\n" +
           deliveryListText() +
           "  --bits 16|24|32       the output's word length (32: float); 16 and 24 bits get\n"
           "                        TPDF dither of one step after the ceiling\n"
           "  --no-dither           round integer outputs without dither\n"
           "  --report FILE.json    also write the results as JSON\n"
           "\n"
           "Batch:\n"
           "  --out-dir DIR         render every IN (a file, or a folder: its audio files) into\n"
           "                        DIR under its own name and format, in parallel\n"
           "  --format EXT          write wav, flac, aif, aiff or ogg files instead\n"
           "  --album               one drive for all files, from their joint loudness, so\n"
           "                        that they keep their relative levels (needs a target)\n"
           "  --jobs N              render N files at once (default: one per core)\n"
           "\n"
           "Exit status: 0 done; 1 an error (in a batch: some file failed, the others were\n"
           "written); 3 written, but a loudness target could not be reached; 128 + N ended\n"
           "by signal N, leaving nothing behind.\n"
           "\n" +
           parameterListText();
}

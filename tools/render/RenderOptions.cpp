#include "tools/render/RenderOptions.h"

#include "tools/render/RenderError.h"

#include <charconv>

namespace
{
int parseBlockFrames(const std::string& text)
{
    int frames = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, frames);
    if (result.ec != std::errc() || result.ptr != end || frames < 1 || frames > kMaxBlockFrames)
        throw RenderError("--block takes a whole number of frames from 1 to " +
                          std::to_string(kMaxBlockFrames) + ", not \"" + text + "\"");
    return frames;
}

bool isOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

void takeOptionValue(RenderOptions& options, const std::string& name, const std::string& value)
{
    if (name == "--program")
        options.program = parseProgram(value);
    else if (name == "--set")
        options.settings.push_back(parseParameterSetting(value));
    else if (name == "--block")
        options.blockFrames = parseBlockFrames(value);
    else if (name == "--plugin")
    {
        if (value.empty())
            throw RenderError("--plugin needs the path of a plug-in binary");
        options.pluginPath = value;
    }
    else if (name == "--snapshot")
    {
        if (value.empty())
            throw RenderError("--snapshot needs the path of a PNG file");
        options.snapshotPath = value;
    }
    else if (name == "--view")
    {
        if (value != "spectrum" && value != "waveform")
            throw RenderError("--view takes spectrum or waveform, not \"" + value + "\"");
        options.spectrumView = value == "spectrum";
    }
}

bool takesValue(const std::string& name)
{
    return name == "--program" || name == "--set" || name == "--block" || name == "--plugin" ||
           name == "--snapshot" || name == "--view";
}

void placePaths(RenderOptions& options, const std::vector<std::string>& paths)
{
    if (options.demo || paths.empty())
    {
        if (paths.size() > 1)
            throw RenderError("the demo takes no input file, only OUT");
        options.demo = true;
        options.outputPath = paths.empty() ? "" : paths[0];
        return;
    }
    if (paths.size() > 2)
        throw RenderError("too many files: \"" + paths[2] + "\" (give IN and OUT at most)");
    options.inputPath = paths[0];
    if (paths.size() == 2)
        options.outputPath = paths[1];
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
            if (equals != std::string::npos)
                takeOptionValue(options, name, argument.substr(equals + 1));
            else if (i + 1 < arguments.size())
                takeOptionValue(options, name, arguments[++i]);
            else
                throw RenderError(name + " needs a value");
        }
        else if (argument == "--bypass")
            options.bypass = true;
        else if (argument == "--raw")
            options.raw = true;
        else if (argument == "--demo")
            options.demo = true;
        else if (argument == "--help" || argument == "-h")
            options.help = true;
        else
            throw RenderError("unknown option " + argument + " (see --help)");
    }
    if (!options.help)
        placePaths(options, paths);
    if (!options.snapshotPath.empty() && !options.pluginPath.empty())
        throw RenderError("--snapshot draws the built-in editor and cannot be used with --plugin");
    return options;
}

std::string usageText()
{
    return "Usage: vrn07-render [IN] [OUT] [options]\n"
           "       vrn07-render [--demo] [OUT] [options]\n"
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
           "                        OUT delayed by the plug-in and cut to IN's length\n"
           "  --plugin PATH         load that plug-in binary instead of the built-in code\n"
           "                        (the band gain reduction is then not available)\n"
           "  --snapshot PNG        open the editor without a window while the audio plays\n"
           "                        (ticking every 25 ms of audio) and draw its last frame\n"
           "  --view spectrum|waveform\n"
           "                        the viewer the snapshot shows (default waveform)\n"
           "  --help                show this text\n"
           "\n" +
           parameterListText();
}

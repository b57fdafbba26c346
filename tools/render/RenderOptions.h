// The command line of vrn07-render.
#pragma once

#include "tools/render/ParameterSettings.h"

#include <string>
#include <vector>

constexpr int kDefaultBlockFrames = 512;
constexpr int kMaxBlockFrames = 1048576;

struct RenderOptions
{
    std::string inputPath;  // empty: render the built-in demo
    std::string outputPath; // empty: the default name
    bool demo = false;
    int program = 0;
    std::vector<ParameterSetting> settings; // in command-line order
    int blockFrames = kDefaultBlockFrames;
    bool bypass = false;
    bool raw = false;          // keep the plug-in's delay, as a host without compensation records
    std::string pluginPath;    // empty: the plug-in code linked into this program
    std::string snapshotPath;  // empty: no picture of the editor
    bool spectrumView = false; // the snapshot shows the spectrum instead of the waveform
    bool help = false;
};

// Parses the arguments after the program name. Throws RenderError for anything it cannot
// take, so that nothing is read or written before the whole command line is known good.
RenderOptions parseOptions(const std::vector<std::string>& arguments);

// The --help text.
std::string usageText();

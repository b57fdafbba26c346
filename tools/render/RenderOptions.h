// The command line of vrn07-render.
#pragma once

#include "tools/render/ParameterSettings.h"

#include <optional>
#include <string>
#include <vector>

constexpr int kDefaultBlockFrames = 512;
constexpr int kMaxBlockFrames = 1048576;
// Renders a batch runs at once, at most.
constexpr int kMaxJobs = 64;

struct RenderOptions
{
    std::string inputPath;  // empty: render the built-in demo
    std::string outputPath; // empty: the default name
    bool demo = false;
    int program = 0;
    bool programChosen = false;             // --program was given
    std::vector<ParameterSetting> settings; // in command-line order
    int blockFrames = kDefaultBlockFrames;
    bool bypass = false;
    bool raw = false;          // keep the plug-in's delay, as a host without compensation records
    std::string pluginPath;    // empty: the plug-in code linked into this program
    std::string snapshotPath;  // empty: no picture of the editor
    bool spectrumView = false; // the snapshot shows the spectrum instead of the waveform
    bool help = false;

    // Delivery.
    std::optional<double> ceilingDb;  // the true-peak stage after the plug-in, in dBTP
    std::optional<double> targetLufs; // the integrated loudness the drive is searched for
    std::string deliveryName;         // the preset that gave them, for the report
    int bits = 0;                     // 16, 24 or 32 (float); 0: the format's own
    bool dither = true;               // TPDF dither for integer outputs
    std::string reportPath;           // the table as JSON; empty: none

    // Batch: with an output folder every path is an input, a file or a folder of them.
    std::string outDir; // empty: one input, IN OUT
    std::vector<std::string> inputPaths;
    std::string formatExtension; // ".wav", ".flac"...; empty keeps each input's
    bool album = false;          // one drive for all files, from their joint loudness
    int jobs = 0;                // worker threads; 0: one per core

    // A target is met by the least processing that meets it, unless the plug-in's sound
    // was chosen: a program, a setting, its bypass, a binary or its editor's snapshot.
    bool leastProcessing() const
    {
        return targetLufs && !programChosen && settings.empty() && !bypass && pluginPath.empty() &&
               snapshotPath.empty();
    }
};

// Parses the arguments after the program name. Throws RenderError for anything it cannot
// take, so that nothing is read or written before the whole command line is known good.
RenderOptions parseOptions(const std::vector<std::string>& arguments);

// The --help text.
std::string usageText();

// What the render of one file came to: one row of the report.
#pragma once

#include "engine/MeterValues.h"
#include "tools/render/DriveSearch.h"
#include "tools/render/LoudnessMeter.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct FileResult
{
    std::string inputName; // as the command line gave it
    std::string outputPath;
    std::string error; // why the file was not written; empty when it was

    int sampleRate = 0;
    int channels = 0;
    int64_t frames = 0;
    int64_t nonFiniteSamples = 0;
    std::string formatDescription;
    int integerBits = 0;  // the output's word length when it holds integer samples
    int pluginDelay = 0;  // frames
    int stageLatency = 0; // frames

    std::optional<DriveResult> search; // with a target: how the drive was found
    double driveDb = 0.0;
    LoudnessFigures input{};
    LoudnessFigures output{};
    double deepestStageGain = 1.0;                                 // linear; 1 without a ceiling
    std::optional<std::array<double, kNumBands>> deepestBandGains; // linear, when readable

    bool written() const { return error.empty(); }
    bool missedTarget() const
    {
        return written() && search && search->outcome != DriveOutcome::reached;
    }
};

// What the render of one file came to: one row of the report.
#pragma once

#include "engine/MeterValues.h"
#include "tools/render/DriveSearch.h"
#include "tools/render/LoudnessMeter.h"
#include "tools/render/Processing.h"

#include <array>
#include <cstdint>
#include <limits>
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
    std::optional<double> ceilingDb;   // the true peak the output must not exceed
    Processing processing = Processing::plugin;
    double driveDb = 0.0;
    LoudnessFigures input{};
    LoudnessFigures output{};
    LoudnessHistory inputHistory;
    LoudnessHistory outputHistory;
    double deepestStageGain = 1.0;                                 // linear; 1 without a ceiling
    std::optional<std::array<double, kNumBands>> deepestBandGains; // linear, when readable
    GainHistory stageGains;                                        // empty without the stage
    std::array<GainHistory, kNumBands> bandGains; // empty without readable band meters
    // How much the output was processed beyond a gain (dB; see ProcessingResidual.h);
    // measured when the input was held in memory, NaN otherwise.
    double residualDb = std::numeric_limits<double>::quiet_NaN();

    bool written() const { return error.empty(); }
    bool ceilingMissed() const { return written() && ceilingDb && output.truePeakDb > *ceilingDb; }
    bool missedTarget() const
    {
        return written() &&
               ((search && search->outcome != DriveOutcome::reached) || ceilingMissed());
    }
};

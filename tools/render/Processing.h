// What a render runs after the drive, and the gain reductions it records over time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Processing
{
    gain,      // nothing: the output is the input times the drive
    stage,     // the true-peak stage
    maximizer, // the plug-in with the renderer's maximizer settings, then the stage
    fastStage, // the true-peak stage with a release short enough to shape single peaks
    plugin     // the plug-in as the options set it up, then the stage when there is a ceiling
};

// How the report names it.
std::string processingText(Processing processing);

// The lowest gain (linear) in each stretch of LoudnessMeter::kHistorySeconds of output.
struct GainHistory
{
    std::vector<double> lowest;

    void note(int64_t stretch, double gain);
    // The deepest reduction, and the median of the stretches' deepest, in dB (0 or below;
    // 0 for an empty history).
    double largestReductionDb() const;
    double medianReductionDb() const;
};

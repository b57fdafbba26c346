#include "tools/render/LeastProcessing.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace
{
// What the stage's first step takes its loudness to rise by, LU per dB of drive: at the
// plain gain it limits already. On the mastering benchmark it rose by 0.2 to 0.73 LU per dB
// beyond the plain gain; a first step along 0.7 (against 1, 0.8, 0.6 and 0.5) took the
// fewest trial renders at -14 and -9 LUFS together (21 and 49, against 24 and 54 along 1).
constexpr double kStageFirstSlope = 0.7;

// The choice that reached the target, or the one that came closest.
ProcessingChoice closestOf(std::initializer_list<ProcessingChoice> choices, double targetLufs)
{
    const auto distance = [targetLufs](const ProcessingChoice& choice)
    {
        return choice.search.outcome == DriveOutcome::reached
                   ? 0.0
                   : std::abs(choice.search.loudness - targetLufs);
    };
    return *std::min_element(choices.begin(), choices.end(),
                             [&](const ProcessingChoice& a, const ProcessingChoice& b)
                             { return distance(a) < distance(b); });
}

bool ends(const DriveResult& search)
{
    return search.outcome == DriveOutcome::reached || search.outcome == DriveOutcome::silent;
}
} // namespace

ProcessingChoice findLeastProcessing(double targetLufs, double plainGainDb,
                                     const ProcessingProbe& probe)
{
    // The choice counts the trial renders of every processing tried.
    int trials = 0;
    const auto search = [&](Processing processing, SearchStart start)
    {
        const DriveResult result = findDrive(
            targetLufs, [&](double driveDb) { return probe.loudnessAt(processing, driveDb); },
            start);
        trials += result.trials;
        return result;
    };
    const auto chosen = [&trials](ProcessingChoice choice)
    {
        choice.search.trials = trials;
        return choice;
    };
    if (probe.gainKeepsCeiling(plainGainDb))
    {
        const DriveResult gain = search(Processing::gain, {.driveDb = plainGainDb});
        if (ends(gain) && probe.gainKeepsCeiling(gain.driveDb))
            return chosen({Processing::gain, gain});
    }
    // Where the stage or the maximizer cannot reach the target, another processing follows:
    // their searches end as soon as they know.
    const DriveResult stage = search(Processing::stage, {.driveDb = plainGainDb,
                                                         .slope = kStageFirstSlope,
                                                         .endOutOfReach = true,
                                                         .curveSteps = true});
    // The drive beyond the plain gain is the loudness the stage took.
    if (ends(stage) && stage.driveDb - plainGainDb <= kMostStageCostDb)
        return chosen({Processing::stage, stage});
    // Where the stage reached the target, the maximizer is kept only if it needs no more
    // drive: beyond it, it would limit harder than the stage.
    const double mostMaximizerDriveDb =
        stage.outcome == DriveOutcome::reached ? stage.driveDb : kMaxDriveDb;
    const DriveResult maximizer =
        search(Processing::maximizer, {.driveDb = stage.driveDb,
                                       .slope = stage.slope,
                                       .mostDriveDb = mostMaximizerDriveDb,
                                       .endOutOfReach = true,
                                       .curveSteps = true});
    if (maximizer.outcome == DriveOutcome::reached)
        return chosen({Processing::maximizer, maximizer});
    if (stage.outcome == DriveOutcome::reached)
        return chosen({Processing::stage, stage});
    // Sparse material: neither gets loud enough. At the drive the stage reached, the fast
    // release is louder still, so the search starts there, along the stage's slope.
    const DriveResult fastStage =
        search(Processing::fastStage,
               {.driveDb = stage.driveDb, .slope = stage.slope, .curveSteps = true});
    return chosen(closestOf({{Processing::stage, stage},
                             {Processing::maximizer, maximizer},
                             {Processing::fastStage, fastStage}},
                            targetLufs));
}

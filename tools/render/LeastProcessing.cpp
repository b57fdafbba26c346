#include "tools/render/LeastProcessing.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace
{
DriveResult searchWith(Processing processing, double targetLufs, double startDb,
                       const ProcessingProbe& probe)
{
    return findDrive(
        targetLufs, [&](double driveDb) { return probe.loudnessAt(processing, driveDb); }, startDb);
}

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
    if (probe.gainKeepsCeiling(plainGainDb))
    {
        const DriveResult gain = searchWith(Processing::gain, targetLufs, plainGainDb, probe);
        if (ends(gain) && probe.gainKeepsCeiling(gain.driveDb))
            return {Processing::gain, gain};
    }
    const DriveResult stage = searchWith(Processing::stage, targetLufs, plainGainDb, probe);
    // The drive beyond the plain gain is the loudness the stage took.
    if (ends(stage) && stage.driveDb - plainGainDb <= kMostStageCostDb)
        return {Processing::stage, stage};
    const DriveResult maximizer =
        searchWith(Processing::maximizer, targetLufs, stage.driveDb, probe);
    if (maximizer.outcome == DriveOutcome::reached)
        return {Processing::maximizer, maximizer};
    if (stage.outcome == DriveOutcome::reached)
        return {Processing::stage, stage};
    // Sparse material: neither gets loud enough. At the drive the stage reached, the fast
    // release is louder still, so the search starts there.
    const DriveResult fastStage =
        searchWith(Processing::fastStage, targetLufs, stage.driveDb, probe);
    return closestOf({{Processing::stage, stage},
                      {Processing::maximizer, maximizer},
                      {Processing::fastStage, fastStage}},
                     targetLufs);
}

#include "tools/render/LeastProcessing.h"

#include <cmath>

namespace
{
DriveResult searchWith(Processing processing, double targetLufs, double startDb,
                       const ProcessingProbe& probe)
{
    return findDrive(
        targetLufs, [&](double driveDb) { return probe.loudnessAt(processing, driveDb); }, startDb);
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
    // Neither reached the target: the one that came closer.
    if (stage.outcome == DriveOutcome::reached ||
        std::abs(stage.loudness - targetLufs) <= std::abs(maximizer.loudness - targetLufs))
        return {Processing::stage, stage};
    return {Processing::maximizer, maximizer};
}

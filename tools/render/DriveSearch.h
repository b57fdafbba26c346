// Finds the drive, the host's gain in dB in front of the plug-in, that gives a render the
// integrated loudness asked for. Each trial is a whole render: the output's loudness at a
// drive is a rising curve that bends over where the limiters take hold, so the search steps
// along the curve's slope (secant steps on the dB scale) and, once it has trials on both
// sides of the target, keeps them as a bracket that it narrows by secant or by halving.
#pragma once

#include <functional>
#include <string>

constexpr double kMinDriveDb = -48.0;
constexpr double kMaxDriveDb = 24.0;
// How far from the target (LU) a result counts as reached.
constexpr double kTargetToleranceLu = 0.1;

enum class DriveOutcome
{
    reached,
    silent,    // the render has no measurable loudness: silence, or shorter than a gating block
    tooQuiet,  // it would need more than kMaxDriveDb
    saturated, // more drive no longer makes it louder: the limiters are saturated
    tooLoud,   // it would need less than kMinDriveDb
    unsettled  // no trial came close enough: the loudness jumps at the target
};

struct DriveResult
{
    DriveOutcome outcome;
    double driveDb;  // the trial that came closest to the target
    double loudness; // its loudness, LUFS
    int trials;
    double slope = 1.0; // LU per dB between the last two trials; 1 after a single one
};

// Where a search starts and when it may give up.
struct SearchStart
{
    double driveDb = 0.0; // the first trial (clamped to the drive range)
    double slope = 1.0;   // the LU per dB the first step assumes
    double mostDriveDb = kMaxDriveDb;
    // Whether the search ends as soon as its last two trials show that the target lies out
    // of reach (more drive never steepens the curve: the limiters only bend it over), rather
    // than rendering the end of the drive range, which comes closer: for a search whose
    // closest render is not wanted when it misses.
    bool endOutOfReach = false;
    // Whether the steps follow a parabola through the last three trials where it falls
    // where the secant would step: the limiters' curve bends over, and the secant steps
    // short of the target.
    bool curveSteps = false;
};

// loudnessAt renders at a drive (dB) and answers the integrated loudness (LUFS; -inf when
// the render is silent).
DriveResult findDrive(double targetLufs, const std::function<double(double)>& loudnessAt,
                      SearchStart start = {});

// Why a target was not reached, as the report says it; empty for reached.
std::string driveOutcomeText(DriveOutcome outcome);

#include "tools/render/DriveSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace
{
// The search stops closer than the tolerance, so that a result is not left at its edge.
constexpr double kAimLu = 0.05;
constexpr int kMaxTrials = 16;
// Below this slope (LU per dB of drive) the loudness is taken as saturated; the search also
// steps by no more than the target's distance divided by it.
constexpr double kSaturatedSlope = 0.1;
// A bracket narrower than this (dB) is a jump in the loudness curve.
constexpr double kNarrowestBracketDb = 1e-3;

struct Trial
{
    double driveDb;
    double loudness;
    double error; // loudness - target
};

class Search
{
  public:
    Search(double target, const std::function<double(double)>& loudnessAt, SearchStart start)
        : target_(target), loudnessAt_(loudnessAt), start_(start)
    {
    }

    DriveResult run();

  private:
    Trial evaluate(double driveDb);
    std::optional<DriveOutcome> stepOneSided(const Trial& previous, const Trial& trial,
                                             double& next) const;
    double stepInBracket(const Trial& previous, const Trial& trial) const;
    std::optional<double> parabolaStep() const;
    // A search that ends at the drive range's end or where the loudness stops rising has
    // still reached the target when its closest trial lies within the tolerance.
    DriveResult result(DriveOutcome outcome) const
    {
        const bool close = trials_ > 0 && std::abs(best_.error) <= kTargetToleranceLu;
        return {close ? DriveOutcome::reached : outcome, best_.driveDb, best_.loudness, trials_,
                lastSlope_};
    }

    const double target_;
    const std::function<double(double)>& loudnessAt_;
    const SearchStart start_;
    double lastSlope_ = 1.0;
    Trial best_{};
    Trial last_{};
    std::vector<Trial> done_;
    std::optional<Trial> below_; // the closest trial under the target
    std::optional<Trial> above_; // the closest trial over it
    int trials_ = 0;
};

Trial Search::evaluate(double driveDb)
{
    const double loudness = loudnessAt_(driveDb);
    const Trial trial{driveDb, loudness, loudness - target_};
    if (trials_ > 0 && driveDb != last_.driveDb && std::isfinite(loudness) &&
        std::isfinite(last_.loudness))
        lastSlope_ = (loudness - last_.loudness) / (driveDb - last_.driveDb);
    last_ = trial;
    done_.push_back(trial);
    if (trials_++ == 0 || std::abs(trial.error) < std::abs(best_.error))
        best_ = trial;
    std::optional<Trial>& side = trial.error < 0.0 ? below_ : above_;
    if (!side || std::abs(trial.error) < std::abs(side->error))
        side = trial;
    return trial;
}

// The next drive while every trial lies on one side of the target: along the slope of the
// last two trials (at first the one the start assumes), at most to the end of the drive
// range. Answers why the search ends when that end has been tried, or, where the start
// allows, when the target lies out of reach.
std::optional<DriveOutcome> Search::stepOneSided(const Trial& previous, const Trial& trial,
                                                 double& next) const
{
    const bool rising = trial.error < 0.0;
    const bool first = trial.driveDb == previous.driveDb;
    const double slope =
        first ? start_.slope
              : (trial.loudness - previous.loudness) / (trial.driveDb - previous.driveDb);
    const auto why = [&]
    { return slope < kSaturatedSlope ? DriveOutcome::saturated : DriveOutcome::tooQuiet; };
    if (trial.driveDb == (rising ? start_.mostDriveDb : kMinDriveDb))
        return rising ? why() : DriveOutcome::tooLoud;
    const double loudestReach =
        trial.loudness + std::max(slope, 0.0) * (start_.mostDriveDb - trial.driveDb);
    if (rising && !first && start_.endOutOfReach && loudestReach < target_ - kTargetToleranceLu)
        return why();
    const double step = -trial.error / std::max(slope, kSaturatedSlope);
    next = std::clamp(trial.driveDb + step, kMinDriveDb, start_.mostDriveDb);
    // The curve bends over, so the secant falls short: the parabola goes further, up to
    // twice as far.
    if (const std::optional<double> curved = parabolaStep())
        if ((*curved - next) * step > 0.0 &&
            std::abs(*curved - trial.driveDb) < 2.0 * std::abs(step))
            next = std::clamp(*curved, kMinDriveDb, start_.mostDriveDb);
    return std::nullopt;
}

// Where the start asks for it: the drive at which a parabola through the last three trials
// (the drive as a function of the loudness) meets the target; nothing where their
// loudnesses are not finite and distinct.
std::optional<double> Search::parabolaStep() const
{
    if (!start_.curveSteps || done_.size() < 3)
        return std::nullopt;
    const Trial& a = done_[done_.size() - 3];
    const Trial& b = done_[done_.size() - 2];
    const Trial& c = done_[done_.size() - 1];
    for (const Trial* t : {&a, &b, &c})
        if (!std::isfinite(t->loudness))
            return std::nullopt;
    if (a.loudness == b.loudness || b.loudness == c.loudness || a.loudness == c.loudness)
        return std::nullopt;
    const double ea = a.error, eb = b.error, ec = c.error;
    return a.driveDb * eb * ec / ((ea - eb) * (ea - ec)) +
           b.driveDb * ea * ec / ((eb - ea) * (eb - ec)) +
           c.driveDb * ea * eb / ((ec - ea) * (ec - eb));
}

// The next drive inside the bracket: the secant of the last two trials where it falls well
// inside, else the bracket's middle.
double Search::stepInBracket(const Trial& previous, const Trial& trial) const
{
    const double low = std::min(below_->driveDb, above_->driveDb);
    const double high = std::max(below_->driveDb, above_->driveDb);
    const double margin = 0.05 * (high - low);
    if (const std::optional<double> curved = parabolaStep())
        if (*curved > low + margin && *curved < high - margin)
            return *curved;
    if (trial.loudness != previous.loudness)
    {
        const double secant = trial.driveDb - trial.error * (trial.driveDb - previous.driveDb) /
                                                  (trial.loudness - previous.loudness);
        if (secant > low + margin && secant < high - margin)
            return secant;
    }
    return 0.5 * (low + high);
}

DriveResult Search::run()
{
    Trial trial = evaluate(std::clamp(start_.driveDb, kMinDriveDb, start_.mostDriveDb));
    if (!std::isfinite(trial.loudness))
    {
        // A quiet input may fall under the meter's absolute gate (-70 LUFS) at 0 dB only.
        trial = evaluate(start_.mostDriveDb);
        if (!std::isfinite(trial.loudness))
            return result(DriveOutcome::silent);
    }
    Trial previous = trial;
    while (std::abs(trial.error) > kAimLu && trials_ < kMaxTrials)
    {
        double next = 0.0;
        if (below_ && above_)
        {
            if (std::abs(above_->driveDb - below_->driveDb) < kNarrowestBracketDb)
                break;
            next = stepInBracket(previous, trial);
        }
        else if (const std::optional<DriveOutcome> end = stepOneSided(previous, trial, next))
            return result(*end);
        previous = trial;
        trial = evaluate(next);
    }
    return result(std::abs(best_.error) <= kTargetToleranceLu ? DriveOutcome::reached
                                                              : DriveOutcome::unsettled);
}
} // namespace

DriveResult findDrive(double targetLufs, const std::function<double(double)>& loudnessAt,
                      SearchStart start)
{
    return Search(targetLufs, loudnessAt, start).run();
}

namespace
{
std::string driveLimitText(const char* comparison, double limitDb)
{
    char text[64];
    std::snprintf(text, sizeof(text), "it would need %s %+.0f dB of drive", comparison, limitDb);
    return text;
}
} // namespace

std::string driveOutcomeText(DriveOutcome outcome)
{
    switch (outcome)
    {
    case DriveOutcome::reached:
        return "";
    case DriveOutcome::silent:
        return "the render has no measurable loudness (the input is silent or shorter than "
               "0.4 s)";
    case DriveOutcome::tooQuiet:
        return driveLimitText("more than", kMaxDriveDb);
    case DriveOutcome::saturated:
        return "the limiters are saturated: more drive no longer makes it louder";
    case DriveOutcome::tooLoud:
        return driveLimitText("less than", kMinDriveDb);
    case DriveOutcome::unsettled:
        return "the loudness jumps across the target between two drives";
    }
    return "";
}

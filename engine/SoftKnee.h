// CSoftKnee: the static curve of the output stage's soft clipper. Below the knee start T the
// level passes unchanged; between T and the full-scale input X the output level
// y(l) = T (h + 2 - (h + 1)^2 / (h + l/T)) bends from the straight line toward 1.0; from X on
// the output is held at 1.0. The shape h is found by `solve` so that y(X) is close to 1.0.
#pragma once

// The knee start, the single-precision 0.8, and the input level held at full scale.
constexpr double kKneeStart = 0.8f;
constexpr double kFullScaleInput = 3.0;

class CSoftKnee
{
  public:
    // Knee start kKneeStart, solved for kFullScaleInput.
    CSoftKnee();

    // Stores T; call `solve` afterwards.
    void setKneeStart(double kneeStart) { start_ = kneeStart; }

    // Stores X and finds h by bracketing and bisection (to 0.01) on y(X) = 1.
    void solve(double fullScaleInput);

    // The static gain c for a level: 1 up to T, y(l)/l below X, 1/l from X on.
    double staticGain(double level) const
    {
        if (level <= start_)
        {
            return 1.0;
        }
        if (level < fullScale_)
        {
            return outputLevel(level, shape_, shapeSquared_) / level;
        }
        return 1.0 / level;
    }

    double kneeStart() const { return start_; }
    double fullScaleInput() const { return fullScale_; }
    double shape() const { return shape_; }
    // (h + 1)^2.
    double shapeSquared() const { return shapeSquared_; }

  private:
    // y(l) for shape h, with (h + 1)^2 given.
    double outputLevel(double level, double h, double hPlusOneSquared) const
    {
        return start_ * (h + 2.0 - hPlusOneSquared / (h + level / start_));
    }

    double start_ = kKneeStart;
    double fullScale_ = kFullScaleInput;
    double shape_ = 0.0;
    double shapeSquared_ = 1.0;
};

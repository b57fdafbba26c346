// An independent, deliberately plain model of the whole processing path, written
// straight from the product's formulas: one function per stage, no sharing with the
// engine's code. The engine must agree with it to single-precision rounding.
#pragma once

struct ReferenceSettings
{
    int sampleRate = 44100;
    float thresholdDb[3] = {0, 0, 0}; // the user settings, before the band offsets
    float bandGainDb[3] = {0, 0, 0};
    float crossoverLow = 31;
    float crossoverHigh = 1235;
    float attackMs = 1.71f;
    float releaseMs = 47.4f;
    float limiterGainDb = 3;
    float outputGainDb = 2;
    bool safeClip = true;
    bool sens = false;
};

class ReferenceLimiter
{
  public:
    explicit ReferenceLimiter(const ReferenceSettings& settings);

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);

  private:
    struct Biquad
    {
        double b0, b1, b2, a1, a2;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        float run(float x);
    };
    struct Limiter
    {
        double threshold, attack, release, makeUp;
        double gain = 1;
        double step(double level);
    };
    struct ClipChannel
    {
        double excess[16] = {};
        double sample[16] = {};
        unsigned flags = 0;
        double gain = 1;
        double process(double x, int write, int read, double release, double h);
    };

    double processClip(ClipChannel& channel, double x);

    ReferenceSettings settings_;
    Biquad lowLeft_, lowRight_, highLeft_, highRight_;
    bool lowOn_, highOn_;
    Limiter limiters_[3];
    double limiterGain_, outputGain_;
    ClipChannel clipLeft_, clipRight_;
    int clipWrite_ = 0;
    double clipRelease_;
    double knee_;
};

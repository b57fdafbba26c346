// CCeilingStage: the true-peak ceiling as the plug-in editions offer it, switched on and off
// while the audio runs without a hole or a jump. Its limiter delays the signal by its
// look-ahead, so a switch cannot simply start or stop it: the output crossfades between the
// input and the limiter's output over kFadeMs. A limiter that starts is first run over the
// last frames of its input, so that its look-ahead is full when the fade begins. Moving from
// one delay to the other speeds the signal up or slows it down for the length of the fade; the
// level dips by the same factor meanwhile, so that the output never changes faster from sample
// to sample than the signal itself.
#pragma once

#include "engine/TruePeakLimiter.h"

#include <vector>

// Audio-side state, as the limiter's: the switch and the ceiling are set between blocks on the
// thread that processes; `setSampleRate` allocates and is called only while nothing processes.
class CCeilingStage
{
  public:
    static constexpr double kFadeMs = 50.0;

    // Off, at the rate.
    explicit CCeilingStage(int sampleRate);

    // Sizes the limiter and the input history for the rate, and resets.
    void setSampleRate(int sampleRate);
    // Clears the limiter and the history. Until a frame has passed, a switch takes effect at
    // once: there is no output yet to join.
    void reset();
    // The ceiling in dBTP, as the limiter takes it.
    void setCeiling(double dBTP) { limiter_.setCeiling(dBTP); }
    void switchOn(bool on);

    // The delay of the output: the limiter's look-ahead while the limiter carries at least half
    // of it, none otherwise.
    int latencyFrames() const;
    // The limiter's look-ahead at the rate: the delay while the ceiling is on.
    int lookAheadFrames() const { return limiter_.latencyFrames(); }
    // Processes a block in place.
    void process(float* left, float* right, int frames);
    // The lowest gain the limiter applied during the last block; 1 while it did not limit.
    double lowestGainOfLastBlock() const { return lowestGain_; }

  private:
    static constexpr int kChunkFrames = 256;

    void processChunk(float* left, float* right, int frames);
    void limit(float* left, float* right, int frames);
    void remember(const float* left, const float* right, int frames);
    void startLimiter();
    double weightAt(int position) const;
    void crossfade(const float* inLeft, const float* inRight, float* left, float* right,
                   int frames);
    bool limiterRuns() const { return on_ || fadePosition_ > 0; }
    int fadeTarget() const { return on_ ? fadeFrames_ : 0; }

    CTruePeakLimiter limiter_;
    // The stage's latest input, oldest at historyPosition_: twice the look-ahead, the
    // look-ahead itself and as much before it for the limiter's detection and smoothing.
    std::vector<float> historyLeft_;
    std::vector<float> historyRight_;
    int historyPosition_ = 0;
    int fadeFrames_ = 1;
    // 0: the output is the input; fadeFrames_: the output is the limiter's.
    int fadePosition_ = 0;
    bool on_ = false;
    bool started_ = false;
    double lowestGain_ = 1.0;
};

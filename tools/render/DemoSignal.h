// The built-in demo programme: ten seconds of drum hits, a bass line, chords and hi-hat
// noise, in stereo at 44.1 kHz, peaking a few dB below full scale so that the limiter has
// transients to catch. The same samples on every run: the noise has a fixed seed.
#pragma once

#include <vector>

constexpr int kDemoSampleRate = 44100;
constexpr int kDemoChannels = 2;
constexpr int kDemoFrames = 10 * kDemoSampleRate;
constexpr double kDemoPeakDb = -3.0;

// kDemoFrames interleaved stereo frames.
std::vector<float> makeDemoSignal();

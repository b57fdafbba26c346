// The benchmark's own material: synthetic mixes of a drum-like transient track, sustained
// tones, noise bursts, a speech-like voice and inter-sample-peak traps, each brought to an
// integrated loudness of its own, louder than the delivery targets or quieter by up to
// 20 dB.
#pragma once

#include <string>
#include <vector>

struct BenchMix
{
    std::string name;
    int sampleRate;
    std::vector<float> left;
    std::vector<float> right;
};

// The mixes, seconds long each; the same every run.
std::vector<BenchMix> makeBenchMixes(double seconds);

// The integrated loudness of a mix, LUFS, by libebur128.
double integratedLoudness(const BenchMix& mix);

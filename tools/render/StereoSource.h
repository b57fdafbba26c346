// Where the frames a render plays come from: a sound file read as it plays, or a whole
// signal decoded into memory once and played as often as the drive search needs.
#pragma once

#include "tools/render/LoudnessMeter.h"
#include "tools/render/SoundFileReader.h"

#include <cstdint>
#include <string>
#include <vector>

class ProgressBar;

class StereoSource
{
  public:
    virtual ~StereoSource() = default;
    // Up to frames of the next frames into left and right; 0 at the end.
    virtual int64_t read(float* left, float* right, int64_t frames) = 0;
};

// A stereo signal held whole in memory.
struct StereoSignal
{
    int sampleRate = 0;
    std::vector<float> left;
    std::vector<float> right;

    int64_t frames() const { return int64_t(left.size()); }
};

// A mono or stereo file; a mono file plays the same samples to both channels. It measures
// what it reads (as the input figures) and counts the samples that are not finite.
class FileStereoSource : public StereoSource
{
  public:
    // Opens path; name is how messages call the file; scope: what is measured of it. Throws
    // RenderError when it cannot be read, has more than two channels or a rate the plug-in
    // does not take.
    FileStereoSource(const std::string& path, const std::string& name, LoudnessMeter::Scope scope);

    int64_t read(float* left, float* right, int64_t frames) override;
    // Reads everything left into memory.
    StereoSignal readAll(ProgressBar& progress);

    const SoundFileReader& reader() const { return reader_; }
    int64_t framesRead() const { return framesRead_; }
    int64_t nonFiniteSamples() const { return nonFiniteSamples_; }
    // The figures of what has been read, and its loudness over time.
    LoudnessFigures figures() const { return meter_.figures(); }
    const LoudnessHistory& history() const { return meter_.history(); }

  private:
    SoundFileReader reader_;
    LoudnessMeter meter_;
    std::vector<float> fileFrames_;
    std::vector<float> stereo_;
    int64_t framesRead_ = 0;
    int64_t nonFiniteSamples_ = 0;
};

// Plays the frames of a StereoSignal from begin to end (its whole length by default); the
// signal must outlive the source.
class MemoryStereoSource : public StereoSource
{
  public:
    explicit MemoryStereoSource(const StereoSignal& signal, int64_t begin = 0, int64_t end = -1)
        : signal_(signal), position_(begin), end_(end < 0 ? signal.frames() : end)
    {
    }

    int64_t read(float* left, float* right, int64_t frames) override;

  private:
    const StereoSignal& signal_;
    int64_t position_;
    int64_t end_;
};

#include "tools/render/StereoSource.h"

#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 1536000;
// Frames read from a file at once when it is read whole.
constexpr int64_t kReadFrames = 65536;

// The reader's rate, once its channels and rate are known to be playable.
int checkedSampleRate(const SoundFileReader& reader)
{
    if (reader.channels() > 2)
        throw RenderError(reader.name() + " has " + std::to_string(reader.channels()) +
                          " channels; only mono and stereo files can be played");
    if (reader.sampleRate() < kMinSampleRate || reader.sampleRate() > kMaxSampleRate)
        throw RenderError(reader.name() + " has a sample rate of " +
                          std::to_string(reader.sampleRate()) + " Hz; the plug-in takes " +
                          std::to_string(kMinSampleRate) + " Hz to " +
                          std::to_string(kMaxSampleRate) + " Hz");
    return reader.sampleRate();
}
} // namespace

FileStereoSource::FileStereoSource(const std::string& path, const std::string& name,
                                   LoudnessMeter::Scope scope)
    : reader_(path, name), meter_(checkedSampleRate(reader_), scope)
{
}

int64_t FileStereoSource::read(float* left, float* right, int64_t frames)
{
    const int channels = reader_.channels();
    fileFrames_.resize(size_t(frames) * size_t(channels));
    stereo_.resize(size_t(frames) * 2);
    const int64_t got = reader_.read(fileFrames_.data(), frames);
    nonFiniteSamples_ += std::count_if(fileFrames_.begin(), fileFrames_.begin() + got * channels,
                                       [](float sample) { return !std::isfinite(sample); });
    for (int64_t i = 0; i < got; ++i)
    {
        left[i] = stereo_[size_t(2 * i)] = fileFrames_[size_t(i * channels)];
        right[i] = stereo_[size_t(2 * i + 1)] = fileFrames_[size_t(i * channels + channels - 1)];
    }
    meter_.add(stereo_.data(), size_t(got));
    framesRead_ += got;
    return got;
}

StereoSignal FileStereoSource::readAll(ProgressBar& progress)
{
    StereoSignal signal;
    signal.sampleRate = reader_.sampleRate();
    if (reader_.frames() > 0)
    {
        signal.left.reserve(size_t(reader_.frames()));
        signal.right.reserve(size_t(reader_.frames()));
    }
    std::vector<float> left(kReadFrames), right(kReadFrames);
    while (const int64_t got = read(left.data(), right.data(), kReadFrames))
    {
        signal.left.insert(signal.left.end(), left.begin(), left.begin() + got);
        signal.right.insert(signal.right.end(), right.begin(), right.begin() + got);
        progress.advance(got);
    }
    return signal;
}

int64_t MemoryStereoSource::read(float* left, float* right, int64_t frames)
{
    const int64_t got = std::min(frames, end_ - position_);
    std::copy_n(signal_.left.begin() + position_, got, left);
    std::copy_n(signal_.right.begin() + position_, got, right);
    position_ += got;
    return got;
}

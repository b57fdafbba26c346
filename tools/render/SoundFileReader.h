// Reads any audio file libsndfile understands, as interleaved 32-bit float frames.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

class SoundFileReader
{
  public:
    // Opens path; name is how messages call the file. Throws RenderError when the file is
    // missing, unreadable or not audio libsndfile knows.
    SoundFileReader(const std::string& path, const std::string& name);
    ~SoundFileReader();

    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    int sampleRate() const { return info_.samplerate; }
    int channels() const { return info_.channels; }
    // The length the file announces; 0 or less when it does not know.
    int64_t frames() const { return info_.frames; }
    // The word length of integer samples of 16 or 24 bits, kFloatBits for float samples, 0
    // for any other kind.
    int bits() const;
    const std::string& name() const { return name_; }

    // Reads up to frames frames into interleaved (frames × channels floats); answers how
    // many it read, 0 at the end. Throws RenderError when the data cannot be decoded.
    int64_t read(float* interleaved, int64_t frames);

  private:
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::string name_;
};

// Writes interleaved float frames to an audio file in the format its extension names,
// through an OutputFile: a failed render leaves no output behind.
#pragma once

#include "tools/render/OutputFile.h"

#include <sndfile.h>

#include <cstdint>
#include <string>

struct OutputFormat
{
    int sndfileFormat;
    std::string description;
    int integerBits; // 16 or 24 for integer samples, 0 for float or lossy data
};

// The word lengths bits may ask for: integer samples of 16 or 24 bits, or 32-bit float.
constexpr int kFloatBits = 32;

// The format for a path: .wav (or no extension) WAV, .flac FLAC, .aif/.aiff AIFF, .ogg Ogg
// Vorbis, ignoring case. bits 16, 24 or kFloatBits chooses the samples; 0 takes the
// container's default: 32-bit float, 24-bit for FLAC. Throws RenderError for any other
// extension and for a word length the container cannot hold (FLAC float, any for Vorbis).
OutputFormat outputFormatFor(const std::string& path, int bits = 0);

// The format for path that keeps an input's word length (as SoundFileReader::bits gives it)
// where the container can hold it, and takes the container's default where it cannot.
OutputFormat outputFormatKeeping(const std::string& path, int inputBits);

class SoundFileWriter
{
  public:
    // Creates the temporary file for path in format. Throws RenderError when path may not be
    // written, the folder cannot take the file or the format cannot hold this rate and
    // channel count.
    SoundFileWriter(const std::string& path, const OutputFormat& format, int sampleRate,
                    int channels);
    // Closes the file; the OutputFile removes it unless it was committed.
    ~SoundFileWriter();

    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    const std::string& path() const { return output_.path(); }
    const std::string& temporaryPath() const { return output_.temporaryPath(); }
    const OutputFormat& format() const { return format_; }

    void write(const float* interleaved, int64_t frames);
    // Finishes the file under its temporary name; it can then be read back.
    void close();
    // Finishes the file and gives it its real name.
    void commit();

  private:
    OutputFormat format_;
    OutputFile output_;
    SNDFILE* file_ = nullptr;
};

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
    const char* description;
};

// The format for a path: .wav (or no extension) 32-bit float WAV, .flac 24-bit FLAC,
// .aif/.aiff 32-bit float AIFF, .ogg Ogg Vorbis, ignoring case. Throws RenderError for
// any other extension.
OutputFormat outputFormatFor(const std::string& path);

class SoundFileWriter
{
  public:
    // Creates the temporary file for path. Throws RenderError when path may not be written,
    // the folder cannot take the file or the format cannot hold this rate and channel count.
    SoundFileWriter(const std::string& path, int sampleRate, int channels);
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

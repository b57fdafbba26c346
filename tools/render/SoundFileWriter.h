// Writes interleaved float frames to an audio file in the format its extension names.
// The data goes to a hidden temporary file beside the target and takes the target's name
// only on commit, so that a failed render leaves no output behind.
#pragma once

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
    // Creates the temporary file for path. Throws RenderError when the folder cannot take
    // it or the format cannot hold this rate and channel count.
    SoundFileWriter(const std::string& path, int sampleRate, int channels);
    // Removes the temporary file unless it was committed.
    ~SoundFileWriter();

    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporaryPath_; }
    const OutputFormat& format() const { return format_; }

    void write(const float* interleaved, int64_t frames);
    // Finishes the file under its temporary name; it can then be read back.
    void close();
    // Finishes the file and gives it its real name.
    void commit();

  private:
    std::string path_;
    std::string temporaryPath_;
    OutputFormat format_;
    SNDFILE* file_ = nullptr;
    bool committed_ = false;
};

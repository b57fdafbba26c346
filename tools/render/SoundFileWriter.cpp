#include "tools/render/SoundFileWriter.h"

#include "tools/render/RenderError.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
std::string lowerCaseExtension(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

SF_INFO soundInfo(const OutputFormat& format, int sampleRate, int channels)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format.sndfileFormat;
    return info;
}

// The format for path, checked against the rate and channel count.
OutputFormat checkedFormat(const std::string& path, int sampleRate, int channels)
{
    const OutputFormat format = outputFormatFor(path);
    SF_INFO info = soundInfo(format, sampleRate, channels);
    if (!sf_format_check(&info))
        throw RenderError("cannot write " + path + ": " + format.description + " cannot hold " +
                          std::to_string(sampleRate) + " Hz");
    return format;
}
} // namespace

OutputFormat outputFormatFor(const std::string& path)
{
    const std::string extension = lowerCaseExtension(path);
    if (extension.empty() || extension == ".wav")
        return {SF_FORMAT_WAV | SF_FORMAT_FLOAT, "32-bit float WAV"};
    if (extension == ".flac")
        return {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "24-bit FLAC"};
    if (extension == ".aif" || extension == ".aiff")
        return {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, "32-bit float AIFF"};
    if (extension == ".ogg")
        return {SF_FORMAT_OGG | SF_FORMAT_VORBIS, "Ogg Vorbis"};
    throw RenderError("cannot write " + path + ": unknown extension \"" + extension +
                      "\" (use .wav, .flac, .aif, .aiff or .ogg)");
}

SoundFileWriter::SoundFileWriter(const std::string& path, int sampleRate, int channels)
    : format_(checkedFormat(path, sampleRate, channels)), output_(path)
{
    SF_INFO info = soundInfo(format_, sampleRate, channels);
    file_ = sf_open(output_.temporaryPath().c_str(), SFM_WRITE, &info);
    if (!file_)
        throw RenderError("cannot write " + path + ": " + sf_strerror(nullptr));
    // Integer formats clip samples beyond full scale instead of wrapping them round.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundFileWriter::~SoundFileWriter()
{
    if (file_)
        sf_close(file_);
}

void SoundFileWriter::write(const float* interleaved, int64_t frames)
{
    if (sf_writef_float(file_, interleaved, frames) != frames)
        throw RenderError("cannot write " + path() + ": " + sf_strerror(file_));
}

void SoundFileWriter::close()
{
    if (!file_)
        return;
    const int result = sf_close(file_);
    file_ = nullptr;
    if (result != 0)
        throw RenderError("cannot write " + path() + ": " + sf_error_number(result));
}

void SoundFileWriter::commit()
{
    close();
    output_.commit();
}

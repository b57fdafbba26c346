#include "tools/render/SoundFileWriter.h"

#include "tools/render/RenderError.h"
#include "tools/render/SoundFileOpen.h"

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

struct Container
{
    int major;
    const char* name;
    int defaultBits;
    bool takesFloat;
};

Container containerFor(const std::string& path)
{
    const std::string extension = lowerCaseExtension(path);
    if (extension.empty() || extension == ".wav")
        return {SF_FORMAT_WAV, "WAV", kFloatBits, true};
    if (extension == ".flac")
        return {SF_FORMAT_FLAC, "FLAC", 24, false};
    if (extension == ".aif" || extension == ".aiff")
        return {SF_FORMAT_AIFF, "AIFF", kFloatBits, true};
    if (extension == ".ogg")
        return {SF_FORMAT_OGG, "Ogg Vorbis", 0, false};
    throw RenderError("cannot write " + path + ": unknown extension \"" + extension +
                      "\" (use .wav, .flac, .aif, .aiff or .ogg)");
}

// The format for path, checked against the rate and channel count.
OutputFormat checkedFormat(const OutputFormat& format, const std::string& path, int sampleRate,
                           int channels)
{
    SF_INFO info = soundInfo(format, sampleRate, channels);
    if (!sf_format_check(&info))
        throw RenderError("cannot write " + path + ": " + format.description + " cannot hold " +
                          std::to_string(sampleRate) + " Hz");
    return format;
}
} // namespace

OutputFormat outputFormatFor(const std::string& path, int bits)
{
    const Container container = containerFor(path);
    if (container.defaultBits == 0)
    {
        if (bits != 0)
            throw RenderError("cannot write " + path + ": " + container.name +
                              " has no word length to choose");
        return {container.major | SF_FORMAT_VORBIS, container.name, 0};
    }
    const int chosen = bits != 0 ? bits : container.defaultBits;
    if (chosen == kFloatBits && !container.takesFloat)
        throw RenderError("cannot write " + path + ": " + container.name +
                          " holds 16 or 24 bits, not float");
    const std::string name = container.name;
    if (chosen == kFloatBits)
        return {container.major | SF_FORMAT_FLOAT, "32-bit float " + name, 0};
    const int samples = chosen == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24;
    return {container.major | samples, std::to_string(chosen) + "-bit " + name, chosen};
}

OutputFormat outputFormatKeeping(const std::string& path, int inputBits)
{
    const Container container = containerFor(path);
    const bool holds = container.defaultBits != 0 && inputBits != 0 &&
                       (inputBits != kFloatBits || container.takesFloat);
    return outputFormatFor(path, holds ? inputBits : 0);
}

SoundFileWriter::SoundFileWriter(const std::string& path, const OutputFormat& format,
                                 int sampleRate, int channels)
    : format_(checkedFormat(format, path, sampleRate, channels)), output_(path)
{
    SF_INFO info = soundInfo(format_, sampleRate, channels);
    file_ = openSoundFile(output_.temporaryPath(), SFM_WRITE, info, "cannot write " + path);
    // Integer formats clip samples beyond full scale instead of wrapping them round, and
    // scale by 2^(bits - 1): the grid the Quantizer rounds to, so its samples are stored as
    // they are.
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

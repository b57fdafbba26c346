#include "tools/render/SoundFileWriter.h"

#include "tools/render/RenderError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The permissions a newly created file gets from the user's mask (mkstemp makes it 0600).
fs::perms newFilePermissions()
{
    const mode_t mask = umask(0);
    umask(mask);
    return fs::perms(0666 & ~mask);
}

// Creates a uniquely named empty file beside path and answers its name.
std::string createTemporaryBeside(const std::string& path)
{
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string hiddenName(".");
    hiddenName.append(target.filename().string()).append(".XXXXXX");
    std::string pattern = (folder / hiddenName).string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        throw RenderError("cannot write " + path + ": " + std::strerror(errno));
    ::close(descriptor);
    std::error_code ignored;
    fs::permissions(pattern, newFilePermissions(), ignored);
    return pattern;
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
    : path_(path), format_(outputFormatFor(path))
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format_.sndfileFormat;
    if (!sf_format_check(&info))
        throw RenderError("cannot write " + path + ": " + format_.description + " cannot hold " +
                          std::to_string(sampleRate) + " Hz");
    std::error_code notFound;
    if (fs::is_directory(path, notFound))
        throw RenderError("cannot write " + path + ": it is a folder");
    temporaryPath_ = createTemporaryBeside(path);
    file_ = sf_open(temporaryPath_.c_str(), SFM_WRITE, &info);
    if (!file_)
    {
        const std::string reason = sf_strerror(nullptr);
        std::error_code ignored;
        fs::remove(temporaryPath_, ignored);
        throw RenderError("cannot write " + path + ": " + reason);
    }
    // Integer formats clip samples beyond full scale instead of wrapping them round.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundFileWriter::~SoundFileWriter()
{
    if (file_)
        sf_close(file_);
    if (!committed_)
    {
        std::error_code ignored;
        fs::remove(temporaryPath_, ignored);
    }
}

void SoundFileWriter::write(const float* interleaved, int64_t frames)
{
    if (sf_writef_float(file_, interleaved, frames) != frames)
        throw RenderError("cannot write " + path_ + ": " + sf_strerror(file_));
}

void SoundFileWriter::close()
{
    if (!file_)
        return;
    const int result = sf_close(file_);
    file_ = nullptr;
    if (result != 0)
        throw RenderError("cannot write " + path_ + ": " + sf_error_number(result));
}

void SoundFileWriter::commit()
{
    close();
    std::error_code error;
    fs::rename(temporaryPath_, path_, error);
    if (error)
        throw RenderError("cannot write " + path_ + ": " + error.message());
    committed_ = true;
}

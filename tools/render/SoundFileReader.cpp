#include "tools/render/SoundFileReader.h"

#include "tools/render/RenderError.h"
#include "tools/render/SoundFileOpen.h"
#include "tools/render/SoundFileWriter.h"

#include <filesystem>

SoundFileReader::SoundFileReader(const std::string& path, const std::string& name) : name_(name)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw RenderError("cannot read " + name + ": no such file");
    if (std::filesystem::is_directory(path, error))
        throw RenderError("cannot read " + name + ": it is a folder");
    file_ = openSoundFile(path, SFM_READ, info_, "cannot read " + name);
}

SoundFileReader::~SoundFileReader()
{
    if (file_)
        sf_close(file_);
}

int64_t SoundFileReader::read(float* interleaved, int64_t frames)
{
    const sf_count_t got = sf_readf_float(file_, interleaved, frames);
    if (got < frames && sf_error(file_) != SF_ERR_NO_ERROR)
        throw RenderError("cannot read " + name_ + ": " + sf_strerror(file_));
    return got;
}

int SoundFileReader::bits() const
{
    switch (info_.format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return kFloatBits;
    default:
        return 0;
    }
}

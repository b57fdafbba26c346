#include "tools/render/SoundFileOpen.h"

#include "tools/render/RenderError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

SNDFILE* openSoundFile(const std::string& path, int mode, SF_INFO& info, const std::string& failure)
{
    const int flags = mode == SFM_READ ? O_RDONLY : O_WRONLY | O_TRUNC;
    const int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0)
        throw RenderError(failure + ": " + std::strerror(errno));
    // libsndfile closes the descriptor with the file, and when it refuses the file.
    SNDFILE* file = sf_open_fd(descriptor, mode, &info, SF_TRUE);
    if (!file)
        throw RenderError(failure + ": " + sf_strerror(nullptr));
    return file;
}

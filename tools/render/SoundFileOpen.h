// Opens sound files for libsndfile through a descriptor: sf_open refuses paths of 1024 bytes
// and more, which the system takes up to PATH_MAX.
#pragma once

#include <sndfile.h>

#include <string>

// Opens path for reading (SFM_READ, info filled in) or writing (SFM_WRITE, to an existing file
// that it empties, info describing the format). Throws RenderError, its text failure + ": " +
// the reason, when the file cannot be opened or libsndfile refuses it.
SNDFILE* openSoundFile(const std::string& path, int mode, SF_INFO& info,
                       const std::string& failure);

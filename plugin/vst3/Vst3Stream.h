// The host's byte streams for the state: read to their end and written whole, in as many
// calls as the stream takes.
#pragma once

#include "plugin/vst3/Vst3Interface.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vst3_stream
{
// The stream's bytes from where it stands to its end; false for a null stream or one longer
// than limit.
bool readAll(vst3::IBStream* stream, std::size_t limit, std::string& bytes);
// False for a null stream or one that stops taking bytes.
bool writeAll(vst3::IBStream* stream, std::string_view bytes);
} // namespace vst3_stream

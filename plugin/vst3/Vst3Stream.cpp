#include "plugin/vst3/Vst3Stream.h"

#include <algorithm>

namespace vst3_stream
{
bool readAll(vst3::IBStream* stream, std::size_t limit, std::string& bytes)
{
    if (!stream)
        return false;
    bytes.clear();
    char chunk[4096];
    for (;;)
    {
        int32_t got = 0;
        if (stream->read(chunk, int32_t(sizeof(chunk)), &got) != vst3::kResultOk || got <= 0)
            return true;
        bytes.append(chunk, std::min(std::size_t(got), sizeof(chunk)));
        if (bytes.size() > limit)
            return false;
    }
}

bool writeAll(vst3::IBStream* stream, std::string_view bytes)
{
    if (!stream)
        return false;
    std::string copy(bytes);
    std::size_t done = 0;
    while (done < copy.size())
    {
        int32_t wrote = 0;
        const auto left = int32_t(std::min<std::size_t>(copy.size() - done, 1 << 20));
        if (stream->write(copy.data() + done, left, &wrote) != vst3::kResultOk || wrote <= 0)
            return false;
        done += std::size_t(std::min(wrote, left));
    }
    return true;
}
} // namespace vst3_stream

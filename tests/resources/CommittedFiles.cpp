#include "CommittedFiles.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

std::string repositoryFile(const std::string& relative)
{
    return std::string(VRN07_REPOSITORY) + "/" + relative;
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string readText(const std::string& path)
{
    const std::vector<uint8_t> bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::map<int, std::string> resourceScriptEntries(const std::string& script)
{
    std::map<int, std::string> entries;
    const std::regex line(R"re(^\s*(\d+)\s+BITMAP\s+"([^"]+)"\s*$)re");
    std::istringstream lines(script);
    for (std::string text; std::getline(lines, text);)
    {
        std::smatch match;
        if (std::regex_match(text, match, line))
            entries[std::stoi(match[1])] = match[2];
    }
    return entries;
}

namespace
{
uint32_t read32(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

uint16_t read16(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint16_t(bytes[at] | bytes[at + 1] << 8);
}
} // namespace

std::optional<BmpFile> parseBmp(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    BmpFile file;
    file.declaredFileSize = read32(bytes, 2);
    file.dataOffset = read32(bytes, 10);
    file.infoHeaderSize = read32(bytes, 14);
    file.width = int32_t(read32(bytes, 18));
    file.height = int32_t(read32(bytes, 22));
    file.planes = read16(bytes, 26);
    file.bitsPerPixel = read16(bytes, 28);
    file.compression = read32(bytes, 30);
    if (file.bitsPerPixel != 24 || file.compression != 0 || file.width <= 0 || file.height <= 0)
        return file;
    const size_t rowBytes = (size_t(file.width) * 3 + 3) / 4 * 4;
    if (file.dataOffset + rowBytes * size_t(file.height) > bytes.size())
        return file;
    file.pixels.resize(size_t(file.width) * size_t(file.height));
    for (int row = 0; row < file.height; ++row)
    {
        const size_t start = file.dataOffset + size_t(row) * rowBytes;
        const int y = file.height - 1 - row;
        for (int x = 0; x < file.width; ++x)
        {
            const size_t p = start + size_t(x) * 3;
            file.pixels[size_t(y) * size_t(file.width) + size_t(x)] = {bytes[p + 2], bytes[p + 1],
                                                                       bytes[p]};
        }
    }
    return file;
}

std::optional<BmpFile> committedBitmap(int id)
{
    const auto entries = resourceScriptEntries(readText(repositoryFile("resources/resources.rc")));
    const auto found = entries.find(id);
    if (found == entries.end())
        return std::nullopt;
    return parseBmp(readBytes(repositoryFile("resources/" + found->second)));
}

// Reading the files the repository ships: the bitmaps and resource script in resources/
// and the manual in documents/.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The path of a file given relative to the repository's top folder.
std::string repositoryFile(const std::string& relative);
// The file's bytes; empty when it cannot be read.
std::vector<uint8_t> readBytes(const std::string& path);
std::string readText(const std::string& path);

// The "<id> BITMAP "<file>"" lines of resources/resources.rc: id to file name.
std::map<int, std::string> resourceScriptEntries(const std::string& script);

struct Pixel
{
    int r = 0;
    int g = 0;
    int b = 0;
};

// A BMP file's header fields and, for uncompressed 24-bit files, its pixels top row first.
struct BmpFile
{
    uint32_t declaredFileSize = 0;
    uint32_t dataOffset = 0;
    uint32_t infoHeaderSize = 0;
    int32_t width = 0;
    int32_t height = 0; // negative for rows stored top-down
    uint16_t planes = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    std::vector<Pixel> pixels;

    Pixel at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

std::optional<BmpFile> parseBmp(const std::vector<uint8_t>& bytes);
// The committed bitmap of this resource id, through the resource script.
std::optional<BmpFile> committedBitmap(int id);

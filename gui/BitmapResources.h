// The bitmaps built into the binary, found by numeric id. The build generates the table
// from the files of resources/ and installs it; tests install their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct BitmapResource
{
    int32_t id;
    const unsigned char* bytes; // an uncompressed 24-bit BMP file
    size_t size;
};

// Makes table the one bitmaps are looked up in. The table must stay alive while in use.
void setBitmapResources(std::span<const BitmapResource> table);
// The entry with this id, or null.
const BitmapResource* findBitmapResource(int32_t id);

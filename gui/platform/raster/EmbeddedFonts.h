// The font files built into the Linux binaries, so that text looks the same on every
// machine whatever fonts it has installed. The build generates the definitions.
#pragma once

#include <cstddef>

enum class EmbeddedFace
{
    Sans,     // Liberation Sans Regular, metric-compatible with Arial
    SansBold, // Liberation Sans Bold
    Symbol,   // DejaVu Sans, for the font table's "Symbol" entry
};
constexpr size_t kEmbeddedFaceCount = 3;

struct EmbeddedFont
{
    const unsigned char* bytes; // a TrueType file
    size_t size;
};

const EmbeddedFont& embeddedFont(EmbeddedFace face);

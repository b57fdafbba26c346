// Fonts for the software back end: the faces built into the binary, loaded once by
// FreeType from memory, and glyphs rendered once per font and character (grayscale,
// hinted). Shared by every device of the process.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gui/platform/DrawDevice.h"
#include "gui/platform/raster/EmbeddedFonts.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// One rendered character: coverage rows of width bytes, placed relative to the pen
// position on the baseline.
struct Glyph
{
    int32_t advance = 0;
    int32_t left = 0; // from the pen position to the first column
    int32_t top = 0;  // from the baseline up to the first row
    int32_t width = 0;
    int32_t rows = 0;
    std::vector<uint8_t> coverage;
};

// A face at one pixel size with one style. Text is single-byte (Windows-1252), so the
// glyph table has one slot per byte value.
struct SizedFont
{
    FT_FaceRec_* face = nullptr;
    std::string family;
    int32_t pixelSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool emboldened = false; // the face is not bold: thicken the outlines
    bool slanted = false;    // the face is upright: slant the outlines
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t underlineOffset = 0; // from the baseline down to the underline's first row
    int32_t underlineThickness = 1;
    // Filled in on first use; the table itself never moves.
    mutable std::array<std::unique_ptr<Glyph>, 256> glyphs;
};

class FontCache
{
  public:
    static FontCache& shared();

    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The font for the description; null when its face cannot be loaded.
    const SizedFont* font(const FontDescription& description);
    // The glyph of one text byte.
    const Glyph& glyph(const SizedFont& font, unsigned char character);
    // Sum of the advances of the text's characters.
    int32_t textWidth(const SizedFont& font, const char* text);
    // How many built-in faces have been loaded so far.
    int32_t facesLoaded() const;

  private:
    FT_FaceRec_* loadFace(EmbeddedFace which);
    const Glyph& glyphLocked(const SizedFont& font, unsigned char character);

    // Editors of several plug-in instances may run on different host threads.
    mutable std::mutex mutex_;
    FT_LibraryRec_* library_ = nullptr;
    std::array<FT_FaceRec_*, kEmbeddedFaceCount> faces_{}; // by EmbeddedFace, null until loaded
    std::vector<std::unique_ptr<SizedFont>> fonts_;
};

#include "gui/platform/raster/FontCache.h"

#include "gui/platform/raster/EmbeddedFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace
{
// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves a byte undefined.
constexpr uint16_t kCodePage1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

FT_ULong unicodeOf(unsigned char character)
{
    if (character >= 0x80 && character < 0xA0)
    {
        return kCodePage1252High[character - 0x80];
    }
    return character;
}

bool isControl(unsigned char character)
{
    return character < 0x20 || character == 0x7F;
}

// The built-in face for a description: "Symbol" has a face of its own; "Arial", the only
// other family of the font table, and any unknown family get Liberation Sans.
EmbeddedFace embeddedFaceFor(const FontDescription& description)
{
    if (std::strcmp(description.face, "Symbol") == 0)
    {
        return EmbeddedFace::Symbol;
    }
    return description.bold ? EmbeddedFace::SansBold : EmbeddedFace::Sans;
}

bool sameFont(const SizedFont& font, const FontDescription& description)
{
    return font.pixelSize == description.pixelSize && font.bold == description.bold &&
           font.italic == description.italic && font.underline == description.underline &&
           font.family == description.face;
}

// Vertical metrics in whole pixels, from the face's Windows metrics where it has them, as
// the text layout of the other back end measures them.
void setMetrics(SizedFont& font)
{
    FT_Face face = font.face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
    {
        font.ascent = int32_t(face->size->metrics.ascender >> 6);
        font.descent = int32_t(-(face->size->metrics.descender >> 6));
        font.underlineOffset = 1;
        font.underlineThickness = 1;
        return;
    }
    const double scale = double(font.pixelSize) / face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
    {
        font.ascent = int32_t(std::lround(os2->usWinAscent * scale));
        font.descent = int32_t(std::lround(os2->usWinDescent * scale));
    }
    else
    {
        font.ascent = int32_t(std::lround(face->ascender * scale));
        font.descent = int32_t(std::lround(-face->descender * scale));
    }
    font.underlineOffset = int32_t(std::lround(-face->underline_position * scale));
    font.underlineThickness =
        std::max<int32_t>(1, int32_t(std::lround(face->underline_thickness * scale)));
}
} // namespace

FontCache& FontCache::shared()
{
    static FontCache cache;
    return cache;
}

FontCache::FontCache()
{
    if (FT_Init_FreeType(&library_) != 0)
    {
        library_ = nullptr;
    }
}

FontCache::~FontCache()
{
    fonts_.clear();
    for (FT_Face face : faces_)
    {
        if (face != nullptr)
        {
            FT_Done_Face(face);
        }
    }
    if (library_ != nullptr)
    {
        FT_Done_FreeType(library_);
    }
}

int32_t FontCache::facesLoaded() const
{
    std::lock_guard lock(mutex_);
    return int32_t(
        std::count_if(faces_.begin(), faces_.end(), [](FT_Face face) { return face != nullptr; }));
}

FT_Face FontCache::loadFace(EmbeddedFace which)
{
    FT_Face& face = faces_[size_t(which)];
    if (face != nullptr || library_ == nullptr)
    {
        return face;
    }
    const EmbeddedFont& font = embeddedFont(which);
    if (FT_New_Memory_Face(library_, font.bytes, FT_Long(font.size), 0, &face) != 0)
    {
        face = nullptr;
    }
    return face;
}

const SizedFont* FontCache::font(const FontDescription& description)
{
    if (description.face == nullptr || description.pixelSize <= 0)
    {
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    for (const auto& font : fonts_)
    {
        if (sameFont(*font, description))
        {
            return font.get();
        }
    }

    const EmbeddedFace which = embeddedFaceFor(description);
    FT_Face face = loadFace(which);
    if (face == nullptr || FT_Set_Pixel_Sizes(face, 0, FT_UInt(description.pixelSize)) != 0)
    {
        return nullptr;
    }
    auto font = std::make_unique<SizedFont>();
    font->face = face;
    font->family = description.face;
    font->pixelSize = description.pixelSize;
    font->bold = description.bold;
    font->italic = description.italic;
    font->underline = description.underline;
    // Only the regular and bold of the sans are built in: other styles are made from them.
    font->emboldened = description.bold && which != EmbeddedFace::SansBold;
    font->slanted = description.italic;
    setMetrics(*font);
    fonts_.push_back(std::move(font));
    return fonts_.back().get();
}

const Glyph& FontCache::glyph(const SizedFont& font, unsigned char character)
{
    std::lock_guard lock(mutex_);
    return glyphLocked(font, character);
}

int32_t FontCache::textWidth(const SizedFont& font, const char* text)
{
    std::lock_guard lock(mutex_);
    int32_t width = 0;
    for (const char* c = text; *c != '\0'; ++c)
    {
        width += glyphLocked(font, static_cast<unsigned char>(*c)).advance;
    }
    return width;
}

const Glyph& FontCache::glyphLocked(const SizedFont& font, unsigned char character)
{
    std::unique_ptr<Glyph>& slot = font.glyphs[character];
    if (slot)
    {
        return *slot;
    }
    slot = std::make_unique<Glyph>();
    FT_Face face = font.face;
    if (isControl(character) || FT_Set_Pixel_Sizes(face, 0, FT_UInt(font.pixelSize)) != 0)
    {
        return *slot;
    }
    const FT_UInt index = FT_Get_Char_Index(face, unicodeOf(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
    {
        return *slot;
    }
    if (font.emboldened)
    {
        FT_GlyphSlot_Embolden(face->glyph);
    }
    if (font.slanted)
    {
        FT_GlyphSlot_Oblique(face->glyph);
    }
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
    {
        return *slot;
    }
    const FT_GlyphSlot rendered = face->glyph;
    const FT_Bitmap& bitmap = rendered->bitmap;
    Glyph& glyph = *slot;
    glyph.advance = int32_t((rendered->advance.x + 32) >> 6);
    glyph.left = rendered->bitmap_left;
    glyph.top = rendered->bitmap_top;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer != nullptr)
    {
        glyph.width = int32_t(bitmap.width);
        glyph.rows = int32_t(bitmap.rows);
        glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.rows));
        const int pitch = std::abs(bitmap.pitch);
        for (int32_t row = 0; row < glyph.rows; ++row)
        {
            // A negative pitch stores the rows bottom-up.
            const int32_t sourceRow = bitmap.pitch < 0 ? glyph.rows - 1 - row : row;
            std::memcpy(&glyph.coverage[size_t(row) * size_t(glyph.width)],
                        bitmap.buffer + size_t(sourceRow) * size_t(pitch), size_t(glyph.width));
        }
    }
    return glyph;
}

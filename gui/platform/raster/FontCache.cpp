#include "gui/platform/raster/FontCache.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <fontconfig/fontconfig.h>
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
    FcInit();
}

FontCache::~FontCache()
{
    fonts_.clear();
    for (LoadedFace& loaded : faces_)
    {
        FT_Done_Face(loaded.face);
    }
    if (library_ != nullptr)
    {
        FT_Done_FreeType(library_);
    }
}

int32_t FontCache::facesLoaded() const
{
    std::lock_guard lock(mutex_);
    return int32_t(faces_.size());
}

FT_Face FontCache::loadFace(const std::string& file, int index)
{
    for (const LoadedFace& loaded : faces_)
    {
        if (loaded.index == index && loaded.file == file)
        {
            return loaded.face;
        }
    }
    FT_Face face = nullptr;
    if (library_ == nullptr || FT_New_Face(library_, file.c_str(), index, &face) != 0)
    {
        return nullptr;
    }
    faces_.push_back({file, index, face});
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

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description.face));
    FcPatternAddInteger(pattern, FC_WEIGHT, description.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, description.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
    {
        return nullptr;
    }
    FcChar8* file = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    const std::string path = found ? reinterpret_cast<const char*>(file) : "";
    FcPatternDestroy(match);

    FT_Face face = found ? loadFace(path, index) : nullptr;
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
    font->emboldened = description.bold && weight < FC_WEIGHT_DEMIBOLD;
    font->slanted = description.italic && slant == FC_SLANT_ROMAN;
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

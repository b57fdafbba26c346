#include "resources/generator/TextRenderer.h"

#include "gui/platform/raster/EmbeddedFonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

struct TextRenderer::FaceRecord
{
    FT_Face face = nullptr;
};

namespace
{
constexpr float kSubpixelSteps = 64; // FreeType's 26.6 fixed point

bool loadGlyph(FT_Face face, char c, float size)
{
    if (FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(size * kSubpixelSteps)), 72, 72) != 0)
        return false;
    return FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(c)),
                        FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0;
}
} // namespace

TextRenderer::TextRenderer()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return;
    library_ = library;
    const auto open = [library](EmbeddedFace which) -> FaceRecord*
    {
        const EmbeddedFont& font = embeddedFont(which);
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library, font.bytes, FT_Long(font.size), 0, &face) != 0)
            return nullptr;
        return new FaceRecord{face};
    };
    regular_ = open(EmbeddedFace::Sans);
    bold_ = open(EmbeddedFace::SansBold);
}

TextRenderer::~TextRenderer()
{
    for (FaceRecord* record : {regular_, bold_})
    {
        if (record != nullptr)
            FT_Done_Face(record->face);
        delete record;
    }
    if (library_ != nullptr)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

TextRenderer::FaceRecord* TextRenderer::face(const TextStyle& style) const
{
    return style.weight == Weight::Bold ? bold_ : regular_;
}

float TextRenderer::measure(std::string_view text, const TextStyle& style) const
{
    FaceRecord* record = face(style);
    if (record == nullptr)
        return 0;
    float width = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (loadGlyph(record->face, text[i], style.size))
            width += float(record->face->glyph->advance.x) / kSubpixelSteps;
        if (i + 1 < text.size())
            width += style.tracking;
    }
    return width;
}

float TextRenderer::capHeight(const TextStyle& style) const
{
    FaceRecord* record = face(style);
    if (record == nullptr || !loadGlyph(record->face, 'H', style.size))
        return style.size * 0.7f;
    return float(record->face->glyph->bitmap_top);
}

void TextRenderer::draw(Canvas& canvas, std::string_view text, float x, float baseline,
                        const TextStyle& style, Align align) const
{
    FaceRecord* record = face(style);
    if (record == nullptr)
        return;
    float penX = x;
    if (align != Align::Left)
        penX -= measure(text, style) * (align == Align::Centre ? 0.5f : 1.0f);
    // Whole pixels keep the hinted stems sharp.
    penX = std::round(penX);
    const int baseRow = int(std::lround(baseline));
    for (const char c : text)
    {
        if (!loadGlyph(record->face, c, style.size))
            continue;
        const FT_GlyphSlot glyph = record->face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int left = int(std::lround(penX)) + glyph->bitmap_left;
        const int top = baseRow - glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
        {
            for (unsigned column = 0; column < bitmap.width; ++column)
            {
                const unsigned char value = bitmap.buffer[int(row) * bitmap.pitch + int(column)];
                canvas.blend(left + int(column), top + int(row), style.colour, value / 255.0f);
            }
        }
        penX += float(glyph->advance.x) / kSubpixelSteps + style.tracking;
    }
}

void TextRenderer::drawInBox(Canvas& canvas, std::string_view text, const Box& box,
                             const TextStyle& style, Align align) const
{
    const float x = align == Align::Left    ? box.left
                    : align == Align::Right ? box.right
                                            : box.centreX();
    draw(canvas, text, x, std::floor(box.centreY() + capHeight(style) * 0.5f), style, align);
}

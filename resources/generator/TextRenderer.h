// Captions: text in "Liberation Sans", the font built into the binaries, rasterised by
// FreeType with grayscale anti-aliasing.
#pragma once

#include "resources/generator/Canvas.h"

#include <string_view>

enum class Weight
{
    Regular,
    Bold,
};

enum class Align
{
    Left,
    Centre,
    Right,
};

struct TextStyle
{
    float size = 9; // pixels per em
    Weight weight = Weight::Bold;
    Rgb colour;
    float tracking = 0; // extra pixels between letters
};

class TextRenderer
{
  public:
    // Loads the fonts the panel draws with; ok() is false when they cannot be loaded.
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    bool ok() const { return regular_ != nullptr && bold_ != nullptr; }

    // Advance width of the text in pixels.
    float measure(std::string_view text, const TextStyle& style) const;
    // Height of a capital letter above the baseline, in pixels.
    float capHeight(const TextStyle& style) const;
    // Draws the text with its baseline at y; x is its left end, centre or right end.
    void draw(Canvas& canvas, std::string_view text, float x, float baseline,
              const TextStyle& style, Align align) const;
    // Draws the text with its capitals centred vertically in the box.
    void drawInBox(Canvas& canvas, std::string_view text, const Box& box, const TextStyle& style,
                   Align align) const;

  private:
    struct FaceRecord;
    FaceRecord* face(const TextStyle& style) const;

    void* library_ = nullptr; // FT_Library
    FaceRecord* regular_ = nullptr;
    FaceRecord* bold_ = nullptr;
};

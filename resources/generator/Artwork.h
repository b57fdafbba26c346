// The bitmaps of the panel: resource id, file name, size and how many images they stack.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct Artwork
{
    int32_t id;
    const char* name; // the file is "<id>-<name>.bmp"
    int width;
    int height;
    int images; // frames of a film strip, or the states of a button, stacked top to bottom
};

namespace artwork
{
constexpr int32_t kViewer = 131;
constexpr int32_t kOutputMeter = 133;
constexpr int32_t kLevelLedDark = 11001;
constexpr int32_t kLevelLedLit = 11002;
constexpr int32_t kReductionLedDark = 11003;
constexpr int32_t kReductionLedLit = 11004;
constexpr int32_t kSafeClipButton = 11005;
constexpr int32_t kBypassButton = 11006;
constexpr int32_t kResetButton = 11007;
constexpr int32_t kModeSwitch = 11009;
constexpr int32_t kSourceButton = 11010;
constexpr int32_t kLimitedButton = 11011;
constexpr int32_t kOutputButton = 11012;
constexpr int32_t kSensButton = 11013;
constexpr int32_t kViewerKnob = 11024;
constexpr int32_t kSmallKnob = 11026;
constexpr int32_t kLargeKnob = 11027;
constexpr int32_t kBandKnob = 11028;
constexpr int32_t kBackground = 11030;
constexpr int32_t kInfoButton = 11043;
} // namespace artwork

// Sizes are what the editor's layout derives frame counts and control rectangles from.
constexpr std::array<Artwork, 20> kArtworks = {{
    {artwork::kViewer, "viewer", 391, 151, 1},
    {artwork::kOutputMeter, "output-meter", 100, 3139, 73},
    {artwork::kLevelLedDark, "level-led-dark", 12, 36, 1},
    {artwork::kLevelLedLit, "level-led-lit", 12, 36, 1},
    {artwork::kReductionLedDark, "reduction-led-dark", 12, 36, 1},
    {artwork::kReductionLedLit, "reduction-led-lit", 12, 36, 1},
    {artwork::kSafeClipButton, "safeclip-button", 77, 60, 2},
    {artwork::kBypassButton, "bypass-button", 72, 72, 2},
    {artwork::kResetButton, "reset-button", 21, 41, 2},
    {artwork::kModeSwitch, "mode-switch", 26, 72, 2},
    {artwork::kSourceButton, "source-button", 50, 50, 2},
    {artwork::kLimitedButton, "limited-button", 50, 50, 2},
    {artwork::kOutputButton, "output-button", 50, 50, 2},
    {artwork::kSensButton, "sens-button", 50, 50, 2},
    {artwork::kViewerKnob, "viewer-knob", 49, 2401, 49},
    {artwork::kSmallKnob, "small-knob", 33, 1683, 51},
    {artwork::kLargeKnob, "large-knob", 81, 3969, 49},
    {artwork::kBandKnob, "band-knob", 33, 2409, 73},
    {artwork::kBackground, "background", 754, 374, 1},
    {artwork::kInfoButton, "info-button", 61, 32, 2},
}};

// The entry with this id, or null.
const Artwork* findArtwork(int32_t id);
// Height of one image: the bitmap's height divided by its image count, rounded down.
int imageHeight(const Artwork& art);
std::string artworkFileName(const Artwork& art);

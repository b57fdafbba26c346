// The colours of the panel, shared by the background and every control drawn on it.
#pragma once

#include "resources/generator/Canvas.h"

namespace palette
{
// The editor paints its value displays in this colour, with text in kValueText.
constexpr Rgb kValueDisplay = rgb(64, 88, 112);
constexpr Rgb kValueText = rgb(208, 208, 208);

constexpr Rgb kPanelTop = rgb(34, 45, 58);
constexpr Rgb kPanelBottom = rgb(24, 32, 42);
// Every control stands on this flat colour, so that its bitmap meets the background seamlessly.
constexpr Rgb kSection = rgb(41, 55, 71);
constexpr Rgb kSectionEdgeLight = rgb(66, 84, 104);
constexpr Rgb kSectionEdgeDark = rgb(16, 22, 29);
constexpr Rgb kWell = rgb(17, 23, 30);

constexpr Rgb kCaption = rgb(178, 194, 210);
constexpr Rgb kCaptionDim = rgb(120, 138, 156);
constexpr Rgb kAccent = rgb(92, 196, 236);
constexpr Rgb kTitle = rgb(232, 238, 244);

constexpr Rgb kKnobLight = rgb(104, 120, 138);
constexpr Rgb kKnobDark = rgb(38, 46, 56);
constexpr Rgb kPointer = rgb(240, 244, 248);
constexpr Rgb kTrack = rgb(22, 29, 37);

constexpr Rgb kSourceTrace = rgb(128, 255, 128);
constexpr Rgb kLimitedTrace = rgb(104, 210, 255);
constexpr Rgb kOutputTrace = rgb(255, 69, 62);
constexpr Rgb kAmber = rgb(255, 176, 48);
constexpr Rgb kLedGreen = rgb(80, 230, 110);
constexpr Rgb kLedYellow = rgb(250, 220, 60);
constexpr Rgb kLedRed = rgb(255, 64, 56);
constexpr Rgb kLedCyan = rgb(70, 220, 250);

constexpr Rgb kScreen = rgb(12, 18, 26);
constexpr Rgb kScreenEdge = rgb(30, 42, 56);
} // namespace palette

// Turn a control's real value into the text shown under it in the editor.
#pragma once

// Every formatter writes one terminated string of at most kValueTextSize bytes.
constexpr int kValueTextSize = 64;

using ValueFormatter = void (*)(float value, char* text);

void formatDecibels(float value, char* text);
void formatCrossover(float value, char* text);
void formatFrequency(float value, char* text);
void formatLevel(float value, char* text);
void formatTime(float milliseconds, char* text);
// "OFF", or the true-peak ceiling as "-1.0 dBTP".
void formatCeiling(float dB, char* text);

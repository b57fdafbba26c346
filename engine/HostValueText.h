// The texts hosts show for a parameter in their generic views and automation lanes: the
// number part of the text under the control and its unit, each fitting the interface's
// 8 bytes with the terminator.
#pragma once

// The room the interface gives a parameter text, terminator included.
constexpr int kHostTextSize = 8;

// True for the parameters hosts get texts for: the host-facing controls.
bool hasHostText(int index);
// "11.5", "1.24", "(off)", "47.4"; switches "on" / "off", the bypass "active" / "bypass".
// Writes nothing for an index without host texts.
void hostDisplayText(int index, double normalized, char* text);
// "dB", "Hz", "kHz", "us", "ms", "s"; empty for switches, levels and "(off)".
void hostLabelText(int index, double normalized, char* text);

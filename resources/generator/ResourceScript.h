// The Windows resource script that numbers the bitmaps: one "<id> BITMAP "<file>"" line each.
#pragma once

#include <string>

std::string resourceScript();
// False when the file cannot be written.
bool writeResourceScript(const std::string& path);

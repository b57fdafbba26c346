// The system's part of the information button: which file the plug-in's code was loaded
// from, and opening a document with the program the system (or the user) chose for it.
#pragma once

#include <string>

namespace platform
{
// The file path of the plug-in module this code is in; empty when the system does not tell
// it (or it does not fit the system's 260-byte path buffer on Windows).
std::string currentModulePath();

// Opens the document without waiting for it: on Windows with the program the system
// associates with it, elsewhere by starting `opener` (looked up in PATH when it holds no
// '/') with the path as its only argument. Nothing happens when that fails.
void openDocument(const std::string& path, const std::string& opener);

#if !defined(_WIN32)
// Starts program with the one argument, without a shell, in a session of its own with
// default signal handling, and returns once it has started: an intermediate process starts
// it and exits, so nothing is left to reap. False when it could not be started.
bool spawnDetached(const std::string& program, const std::string& argument);
#endif
} // namespace platform

// Removes the renderer's hidden temporary files when SIGINT, SIGTERM or SIGHUP ends it; it
// then exits with 128 + the signal. The handler only unlinks names prepared beforehand in
// static buffers and calls _exit, both safe inside a signal handler.
#pragma once

#include <string>

// Installs the handler for the three signals, except for one that was ignored when the
// program started (as nohup and background jobs of a shell leave them).
void installSignalCleanup();

// Creates a uniquely named empty file as mkstemp does, pattern ending in XXXXXX and taking
// the name made, and keeps the name for the handler. Answers its slot, or -1 with errno set.
int createTemporaryFile(std::string& pattern);

// Forgets the file of a slot once it has been renamed or removed.
void forgetTemporaryFile(int slot);

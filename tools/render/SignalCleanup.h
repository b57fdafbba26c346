// Removes the renderer's hidden temporary files when a signal ends it: any signal whose default
// action ends a process, but the faults of the program itself (SIGSEGV, SIGABRT...). The
// process then ends with 128 + the signal: by exit after SIGINT, SIGTERM or SIGHUP, as it always
// has, and by the signal itself after any other, as without the handler. The handler only
// unlinks names prepared beforehand in static buffers, resets and raises the signal and calls
// _exit, all safe inside a signal handler. Any thread may create and forget temporary files.
#pragma once

#include <string>

// Installs the handler for those signals, except for one that was ignored when the program
// started (as nohup, background jobs of a shell and some parents leave them).
void installSignalCleanup();

// Creates a uniquely named empty file as mkstemp does, pattern ending in XXXXXX and taking
// the name made, and keeps the name for the handler. Answers its slot, or -1 with errno set.
int createTemporaryFile(std::string& pattern);

// Forgets the file of a slot once it has been renamed or removed.
void forgetTemporaryFile(int slot);

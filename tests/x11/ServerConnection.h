// A connection to the test's X server, retried for a few milliseconds: Xvfb turns
// connections away for a moment when clients come and go quickly. Null when none is made.
#pragma once

#include <X11/Xlib.h>

Display* connectToServer();

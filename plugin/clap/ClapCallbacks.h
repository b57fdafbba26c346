// The C entry points of an instance and of its extensions, handed on to ClapPlugin and its
// editor. Each one checks the handle it is given; the main thread's calls hold the instance.
#pragma once

#include "plugin/clap/ClapInterface.h"

// The instance's calls, for its clap_plugin_t (without descriptor and instance data).
clap_plugin_t clapPluginCallbacks();
// The extension with that id, or null for one this plug-in does not have.
const void* clapExtension(const char* id);

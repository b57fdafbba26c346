// The library's entry point: clap_entry, with the factory of its one plug-in.
#include "gui/platform/ModuleHandle.h"
#include "plugin/Version.h"
#include "plugin/clap/ClapInterface.h"
#include "plugin/clap/ClapPlugin.h"

#include <cstring>
#include <new>

#if defined(_WIN32)
#include <windows.h>
#define CLAP_EXPORTED __declspec(dllexport)
#else
#include <dlfcn.h>
#define CLAP_EXPORTED __attribute__((visibility("default")))
#endif

namespace
{
// Kept forever: hosts store it in their sessions. In the style of the LV2 edition's URI.
constexpr char kPluginId[] = "norvik.vrn07";

const char* const kFeatures[] = {"audio-effect", "limiter", "mastering", "stereo", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    kClapVersion,
    kPluginId,
    kProductName,
    kVendorName,
    "",
    "",
    "",
    kVersionText,
    "Three-band limiter and loudness maximizer with a true-peak ceiling",
    kFeatures,
};

void* loadedModule = nullptr;

uint32_t CLAP_CALL pluginCount(const clap_plugin_factory_t*)
{
    return 1;
}

const clap_plugin_descriptor_t* CLAP_CALL pluginDescriptor(const clap_plugin_factory_t*,
                                                           uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* CLAP_CALL createPlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                            const char* id)
{
    if (!host || !id || std::strcmp(id, kPluginId) != 0 || host->clap_version.major < 1)
        return nullptr;
    try
    {
        return (new ClapPlugin(host, &kDescriptor))->clapPlugin();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

const clap_plugin_factory_t kFactory = {pluginCount, pluginDescriptor, createPlugin};

bool CLAP_CALL entryInit(const char*)
{
    return true;
}

void CLAP_CALL entryDeinit() {}

const void* CLAP_CALL factory(const char* id)
{
    return id && std::strcmp(id, kClapPluginFactoryId) == 0 ? &kFactory : nullptr;
}
} // namespace

void* moduleHandle()
{
    return loadedModule;
}

extern "C" CLAP_EXPORTED const clap_plugin_entry_t clap_entry = {kClapVersion, entryInit,
                                                                 entryDeinit, factory};

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    loadedModule = instance;
    return TRUE;
}
#else
// The load notification of an ELF library: remember which file this code came from.
__attribute__((constructor)) static void rememberModule()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleHandle), &info) != 0)
        loadedModule = info.dli_fbase;
}
#endif

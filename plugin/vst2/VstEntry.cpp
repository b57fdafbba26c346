// The library's entry points: the host calls VSTPluginMain (or its older name main)
// once for every instance it wants.
#include "gui/platform/ModuleHandle.h"
#include "plugin/vst2/AKkk.h"

#include <new>

#if defined(_WIN32)
#include <windows.h>
#define VST_EXPORT
#else
#include <dlfcn.h>
#define VST_EXPORT __attribute__((visibility("default")))
#endif

namespace
{
void* loadedModule = nullptr;
}

void* moduleHandle()
{
    return loadedModule;
}

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try
    {
        return (new AKkk(host))->getAeffect();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

#if defined(_WIN32)
// The .def file exports main as another name of VSTPluginMain.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    loadedModule = instance;
    return TRUE;
}
#else
#if defined(VRN07_EXPORT_MAIN)
// Older hosts look for "main": the same function under a second symbol. Only the shipped
// library has it; a program that links this code has a main of its own.
extern "C" VST_EXPORT AEffect* vstMainEntry(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif

// The load notification of an ELF library: remember which file this code came from.
__attribute__((constructor)) static void rememberModule()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleHandle), &info) != 0)
        loadedModule = info.dli_fbase;
}
#endif

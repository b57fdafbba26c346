#include "tools/host/PluginLibrary.h"

#include <dlfcn.h>

PluginLibrary::PluginLibrary(const std::string& path)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
    {
        const char* reason = dlerror();
        error_ = reason ? reason : "cannot load " + path;
    }
}

PluginLibrary::~PluginLibrary()
{
    if (handle_)
        dlclose(handle_);
}

PluginEntry PluginLibrary::entry(const char* name) const
{
    if (!handle_)
        return nullptr;
    return reinterpret_cast<PluginEntry>(dlsym(handle_, name));
}

// A plug-in binary loaded by path, as a host loads it.
#pragma once

#include "plugin/vst2/VstInterface.h"

#include <string>

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback host);

class PluginLibrary
{
  public:
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }
    // The exported function of that name, or null.
    PluginEntry entry(const char* name = "VSTPluginMain") const;

  private:
    void* handle_ = nullptr;
    std::string error_;
};

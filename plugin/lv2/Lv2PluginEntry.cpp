// The LV2 plug-in library's entry point: the descriptor the host finds by lv2_descriptor,
// and its calls handed on to the instance.
#include "plugin/lv2/Lv2Effect.h"

#include <cmath>
#include <cstring>
#include <new>

namespace
{
Lv2Effect* effectOf(LV2_Handle instance)
{
    return static_cast<Lv2Effect*>(instance);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features)
{
    // The range the filter and capture designs work with, as for the VST 2.4 edition.
    if (!std::isfinite(sampleRate) || sampleRate < 1000.0 || sampleRate > 1536000.0)
        return nullptr;
    try
    {
        return new Lv2Effect(static_cast<int>(sampleRate), features);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void connectPort(LV2_Handle instance, uint32_t port, void* data)
{
    effectOf(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance)
{
    effectOf(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames)
{
    effectOf(instance)->run(frames);
}

void cleanup(LV2_Handle instance)
{
    delete effectOf(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t, const LV2_Feature* const*)
{
    return effectOf(instance)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
{
    return effectOf(instance)->restore(retrieve, handle);
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state = {save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor descriptor = {lv2::kPluginUri, instantiate, connectPort,  activate, run,
                                   nullptr,         cleanup,     extensionData};
} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}

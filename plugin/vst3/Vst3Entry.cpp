// The module's entry points and its factory: one class, the effect, hosts find by its id.
#include "plugin/Version.h"
#include "plugin/vst3/Vst3Effect.h"

#if defined(_WIN32)
#include "gui/platform/ModuleHandle.h"
#include "gui/platform/win32/ModuleInstance.h"
#endif

#include <cstdio>
#include <cstring>

namespace
{
constexpr char kCategory[] = "Audio Module Class";
constexpr char kSubCategories[] = "Fx|Dynamics";
// The interface version the declarations follow.
constexpr char kInterfaceVersion[] = "VST 3.7.14";

template <size_t N> void copyField(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text);
}

// Lives as long as the module: hosts' references only count.
class Factory final : public vst3::IPluginFactory2
{
  public:
    vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** object) override
    {
        if (!object)
            return vst3::kInvalidArgument;
        *object = nullptr;
        if (!vst3::sameUid(iid, vst3::iid::kFUnknown) &&
            !vst3::sameUid(iid, vst3::iid::kPluginFactory) &&
            !vst3::sameUid(iid, vst3::iid::kPluginFactory2))
            return vst3::kNoInterface;
        *object = static_cast<vst3::IPluginFactory2*>(this);
        return vst3::kResultOk;
    }
    uint32_t VST3_CALL addRef() override { return 1; }
    uint32_t VST3_CALL release() override { return 1; }

    vst3::tresult VST3_CALL getFactoryInfo(vst3::PFactoryInfo* info) override
    {
        if (!info)
            return vst3::kInvalidArgument;
        *info = {};
        copyField(info->vendor, kVendorName);
        info->flags = vst3::PFactoryInfo::kUnicode;
        return vst3::kResultOk;
    }

    int32_t VST3_CALL countClasses() override { return 1; }

    vst3::tresult VST3_CALL getClassInfo(int32_t index, vst3::PClassInfo* info) override
    {
        if (index != 0 || !info)
            return vst3::kInvalidArgument;
        *info = {};
        std::memcpy(info->cid, Vst3Effect::kClassId.bytes, sizeof(info->cid));
        info->cardinality = vst3::PClassInfo::kManyInstances;
        copyField(info->category, kCategory);
        copyField(info->name, Vst3Effect::kClassName);
        return vst3::kResultOk;
    }

    vst3::tresult VST3_CALL getClassInfo2(int32_t index, vst3::PClassInfo2* info) override
    {
        vst3::PClassInfo first{};
        if (!info || getClassInfo(index, &first) != vst3::kResultOk)
            return vst3::kInvalidArgument;
        *info = {};
        std::memcpy(info->cid, first.cid, sizeof(info->cid));
        info->cardinality = first.cardinality;
        copyField(info->category, first.category);
        copyField(info->name, first.name);
        copyField(info->subCategories, kSubCategories);
        copyField(info->vendor, kVendorName);
        copyField(info->version, kVersionText);
        copyField(info->sdkVersion, kInterfaceVersion);
        return vst3::kResultOk;
    }

    vst3::tresult VST3_CALL createInstance(vst3::FIDString cid, vst3::FIDString iid,
                                           void** object) override
    {
        if (!object)
            return vst3::kInvalidArgument;
        *object = nullptr;
        if (!vst3::sameUid(cid, Vst3Effect::kClassId))
            return vst3::kNoInterface;
        auto* effect = new Vst3Effect;
        const vst3::tresult result = effect->queryInterface(iid, object);
        static_cast<vst3::IComponent*>(effect)->release();
        return result;
    }
};

Factory gFactory;
} // namespace

#if defined(_WIN32)
#define VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VST3_EXPORT vst3::IPluginFactory* VST3_CALL GetPluginFactory()
{
    return &gFactory;
}

#if defined(_WIN32)
// The manual is found beside the module.
void* moduleHandle()
{
    return thisModule();
}

VST3_EXPORT bool InitDll()
{
    return true;
}

VST3_EXPORT bool ExitDll()
{
    return true;
}
#else
VST3_EXPORT bool ModuleEntry(void*)
{
    return true;
}

VST3_EXPORT bool ModuleExit()
{
    return true;
}
#endif

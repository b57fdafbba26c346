#include "tests/lv2/Lv2Host.h"

#include "engine/ControlTable.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <utility>

UridMap::UridMap(std::string failing) : failing_(std::move(failing))
{
    map_.handle = this;
    map_.map = mapEntry;
    feature_.URI = LV2_URID__map;
    feature_.data = &map_;
}

LV2_URID UridMap::map(const std::string& uri)
{
    const auto found = ids_.find(uri);
    if (found != ids_.end())
        return found->second;
    const auto id = LV2_URID(ids_.size() + 1);
    ids_[uri] = id;
    return id;
}

LV2_URID UridMap::mapEntry(LV2_URID_Map_Handle handle, const char* uri)
{
    auto* map = static_cast<UridMap*>(handle);
    return uri == map->failing_ ? 0 : map->map(uri);
}

LV2_State_Status SavedState::store(LV2_State_Handle handle, uint32_t key, const void* value,
                                   size_t size, uint32_t type, uint32_t flags)
{
    auto* state = static_cast<SavedState*>(handle);
    const char* bytes = static_cast<const char*>(value);
    state->values[key] = Value{std::vector<char>(bytes, bytes + size), type, flags};
    return LV2_STATE_SUCCESS;
}

const void* SavedState::retrieve(LV2_State_Handle handle, uint32_t key, size_t* size,
                                 uint32_t* type, uint32_t* flags)
{
    auto* state = static_cast<SavedState*>(handle);
    const auto found = state->values.find(key);
    if (found == state->values.end())
        return nullptr;
    *size = found->second.bytes.size();
    *type = found->second.type;
    *flags = found->second.flags;
    return found->second.bytes.data();
}

Lv2Library::Lv2Library()
{
    handle_ = dlopen(VRN07_LV2_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle_, nullptr) << dlerror();
    if (!handle_)
        return;
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    const auto entry = reinterpret_cast<Entry>(dlsym(handle_, "lv2_descriptor"));
    EXPECT_NE(entry, nullptr);
    descriptor_ = entry ? entry(0) : nullptr;
}

Lv2Library::~Lv2Library()
{
    if (handle_)
        dlclose(handle_);
}

Lv2Instance::Lv2Instance(const Lv2Library& library, double sampleRate, UridMap* map)
    : descriptor_(library.descriptor())
{
    const LV2_Feature* features[] = {map ? map->feature() : nullptr, nullptr};
    handle_ =
        descriptor_ ? descriptor_->instantiate(descriptor_, sampleRate, "", features) : nullptr;
    if (!handle_)
        return;
    for (int index = lv2::kFirstPortParameter; index < kNumParameters; ++index)
    {
        setControl(index, portDefault(index));
        descriptor_->connect_port(handle_, lv2::portOfParameter(index),
                                  &controls_[index - lv2::kFirstPortParameter]);
    }
    descriptor_->connect_port(handle_, lv2::kPortLatency, &latency_);
    // Below the ceiling's range: off.
    ceiling_ = -6.5f;
    descriptor_->connect_port(handle_, lv2::kPortTruePeakCeiling, &ceiling_);
    activate();
}

Lv2Instance::~Lv2Instance()
{
    if (handle_)
        descriptor_->cleanup(handle_);
}

void Lv2Instance::activate()
{
    descriptor_->activate(handle_);
}

void Lv2Instance::process(std::vector<float>& left, std::vector<float>& right, int blockFrames,
                          bool inPlace)
{
    const int frames = int(left.size());
    std::vector<float> outLeft(inPlace ? 0 : left.size()), outRight(inPlace ? 0 : right.size());
    for (int offset = 0; offset < frames; offset += blockFrames)
    {
        const int n = std::min(blockFrames, frames - offset);
        float* inL = left.data() + offset;
        float* inR = right.data() + offset;
        float* outL = inPlace ? inL : outLeft.data() + offset;
        float* outR = inPlace ? inR : outRight.data() + offset;
        descriptor_->connect_port(handle_, lv2::kPortInputLeft, inL);
        descriptor_->connect_port(handle_, lv2::kPortInputRight, inR);
        descriptor_->connect_port(handle_, lv2::kPortOutputLeft, outL);
        descriptor_->connect_port(handle_, lv2::kPortOutputRight, outR);
        descriptor_->run(handle_, uint32_t(n));
    }
    if (!inPlace)
    {
        left = std::move(outLeft);
        right = std::move(outRight);
    }
}

const LV2_State_Interface* Lv2Instance::state() const
{
    return static_cast<const LV2_State_Interface*>(
        descriptor_->extension_data(LV2_STATE__interface));
}

float portDefault(int index)
{
    const ControlRow& row = findControlRow(index);
    const double value = row.curve == kCurveHalfDecibelSteps
                             ? normalizedToReal(realToNormalized(row.defaultValue, index), index)
                             : row.defaultValue;
    return float(value);
}

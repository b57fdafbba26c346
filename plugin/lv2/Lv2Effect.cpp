#include "plugin/lv2/Lv2Effect.h"

#include "plugin/lv2/PortValue.h"

#include <lv2/atom/util.h>
#include <lv2/core/lv2_util.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

Lv2Effect::Lv2Effect(int sampleRate, const LV2_Feature* const* features)
    : processor_(sampleRate), appliedCeiling_(std::numeric_limits<float>::quiet_NaN()),
      settings_(published())
{
    // The engine's stages take the rate as the VST 2.4 edition's do when the host sets it.
    processor_.setSampleRate(sampleRate);
    if (const auto* map =
            static_cast<const LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map)))
        mapUris(*map);
}

// A map that answers 0 for any of them is no map: the settings would all be saved under one
// key, and one value restored into all.
void Lv2Effect::mapUris(const LV2_URID_Map& map)
{
    for (int k = 0; k < lv2::kSettingCount; ++k)
        settingKeys_[k] = map.map(map.handle, lv2::kSettingKeys[k].uri);
    floatType_ = map.map(map.handle, LV2_ATOM__Float);
    sequenceType_ = map.map(map.handle, LV2_ATOM__Sequence);
    objectType_ = map.map(map.handle, LV2_ATOM__Object);
    stateChanged_ = map.map(map.handle, LV2_STATE__StateChanged);
    const LV2_URID types[] = {floatType_, sequenceType_, objectType_, stateChanged_};
    mapped_ = std::ranges::find(settingKeys_, LV2_URID{0}) == std::end(settingKeys_) &&
              std::ranges::find(types, LV2_URID{0}) == std::end(types);
}

// ---------------------------------------------------------------------------- audio thread

void Lv2Effect::connectPort(uint32_t port, void* data)
{
    if (lv2::isParameterPort(port))
        controls_[port - lv2::kFirstParameterPort] = static_cast<const float*>(data);
    else if (port == lv2::kPortInputLeft || port == lv2::kPortInputRight)
        inputs_[port - lv2::kPortInputLeft] = static_cast<const float*>(data);
    else if (port == lv2::kPortOutputLeft || port == lv2::kPortOutputRight)
        outputs_[port - lv2::kPortOutputLeft] = static_cast<float*>(data);
    else if (port == lv2::kPortLatency)
        latency_ = static_cast<float*>(data);
    else if (port == lv2::kPortTruePeakCeiling)
        truePeakCeiling_ = static_cast<const float*>(data);
    else if (port == lv2::kPortNotify)
        notify_ = static_cast<LV2_Atom_Sequence*>(data);
}

void Lv2Effect::activate()
{
    processor_.reset();
}

// The latency reported is that of the block just played.
void Lv2Effect::run(uint32_t frames)
{
    applyChangedControls();
    applyCeiling();
    if (frames > 0 && inputs_[0] && inputs_[1] && outputs_[0] && outputs_[1])
        processor_.process(inputs_[0], inputs_[1], outputs_[0], outputs_[1], int(frames));
    if (latency_)
        *latency_ = static_cast<float>(processor_.latencyFrames());
    notifyHost();
}

// The notify port's sequence: empty, or one state:StateChanged when the editor changed a
// setting. A change waits for a buffer with room for it.
void Lv2Effect::notifyHost()
{
    if (!notify_ || !mapped_ || notify_->atom.size < sizeof(LV2_Atom_Sequence_Body))
        return;
    const uint32_t capacity = notify_->atom.size;
    notify_->atom.type = sequenceType_;
    notify_->body = {0, 0};
    lv2_atom_sequence_clear(notify_);
    if (!settings_.editorChangePending())
        return;
    struct
    {
        LV2_Atom_Event event;
        LV2_Atom_Object_Body object;
    } const changed = {{{0}, {sizeof(LV2_Atom_Object_Body), objectType_}}, {0, stateChanged_}};
    if (lv2_atom_sequence_append_event(notify_, capacity, &changed.event))
        settings_.editorChangeReported();
}

void Lv2Effect::applyCeiling()
{
    if (!truePeakCeiling_ || *truePeakCeiling_ == appliedCeiling_)
        return;
    appliedCeiling_ = *truePeakCeiling_;
    processor_.setCeiling(appliedCeiling_);
}

void Lv2Effect::applyChangedControls()
{
    for (int i = 0; i < lv2::kParameterPorts; ++i)
    {
        if (!controls_[i])
            continue;
        const auto bits = std::bit_cast<uint32_t>(*controls_[i]);
        if (controlsApplied_ && bits == applied_[i])
            continue;
        applied_[i] = bits;
        const int index = lv2::kFirstPortParameter + i;
        const float normalized = lv2::normalizedOfReal(index, std::bit_cast<float>(bits));
        processor_.audio().applyParameter(index, lv2::realOfNormalized(index, normalized));
    }
    controlsApplied_ = true;
}

// ---------------------------------------------------------------------------- state

LV2_State_Status Lv2Effect::save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!mapped_)
        return LV2_STATE_ERR_NO_FEATURE;
    for (int k = 0; k < lv2::kSettingCount; ++k)
    {
        const int index = lv2::kSettingKeys[k].index;
        const float real = lv2::realOfNormalized(index, settings_.value(index));
        const LV2_State_Status status = store(handle, settingKeys_[k], &real, sizeof(real),
                                              floatType_, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
        if (status != LV2_STATE_SUCCESS)
            return status;
    }
    return LV2_STATE_SUCCESS;
}

// A setting the state does not hold keeps its value, as a program that does not name it.
LV2_State_Status Lv2Effect::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!mapped_)
        return LV2_STATE_ERR_NO_FEATURE;
    for (int k = 0; k < lv2::kSettingCount; ++k)
    {
        size_t size = 0;
        uint32_t type = 0;
        uint32_t flags = 0;
        const void* value = retrieve(handle, settingKeys_[k], &size, &type, &flags);
        if (!value || size != sizeof(float) || type != floatType_)
            continue;
        float real = 0.0f;
        std::memcpy(&real, value, sizeof(real));
        const int index = lv2::kSettingKeys[k].index;
        settings_.restore(index, lv2::normalizedOfReal(index, real));
    }
    return LV2_STATE_SUCCESS;
}

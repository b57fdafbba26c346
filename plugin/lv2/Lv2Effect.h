// The LV2 edition's plug-in instance: the plug-in editions' chain behind LV2 ports (the audio
// path, a bypass that keeps its delay, and the true-peak ceiling), with the delay reported on
// the latency port, the editor-only settings kept for the host's session, and what the audio
// path publishes for the editor, which the user interface reads through instance access. When
// the editor changes one of those settings, the host learns of it on the notify port
// (state:StateChanged), so that it saves the session.
#pragma once

#include "core/Processor.h"
#include "engine/ControlTable.h"
#include "plugin/lv2/EditorSettings.h"
#include "plugin/lv2/Lv2Ports.h"
#include "plugin/lv2/Lv2Uris.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>

class Lv2Effect
{
  public:
    Lv2Effect(int sampleRate, const LV2_Feature* const* features);
    Lv2Effect(const Lv2Effect&) = delete;
    Lv2Effect& operator=(const Lv2Effect&) = delete;

    // The instance behind a handle the host gave the user interface, or null when the handle
    // is not an instance of this build.
    static Lv2Effect* fromHandle(void* handle)
    {
        auto* effect = static_cast<Lv2Effect*>(handle);
        if (!effect || effect->tag_ != kTag || effect->size_ != sizeof(Lv2Effect))
            return nullptr;
        return effect;
    }

    // ------------------------------------------------------------ the host's audio thread
    void connectPort(uint32_t port, void* data);
    // Clears every running state (the host's activate).
    void activate();
    // Takes the changed controls, processes a block, reports the latency and notifies.
    void run(uint32_t frames);

    // ------------------------------------------------------------ any other thread
    // What the editor reads and sets through instance access: inline, so that the user
    // interface's library needs none of the audio path's code.
    PublishedState& published() { return processor_.audio().published(); }
    EditorSettings& settings() { return settings_; }

    // The host's state interface: the settings as their real values. Without a URI map that
    // maps every key, both refuse (LV2_STATE_ERR_NO_FEATURE) and touch nothing.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  private:
    static constexpr uint32_t kTag = 0x564e3037; // "VN07"

    void mapUris(const LV2_URID_Map& map);
    void applyChangedControls();
    void applyCeiling();
    void notifyHost();

    // Read first through a handle of unknown origin.
    const uint32_t tag_ = kTag;
    const uint32_t size_ = sizeof(Lv2Effect);

    CProcessor processor_;
    // The ceiling port's last value, NaN before the first.
    float appliedCeiling_;
    const float* inputs_[2] = {};
    float* outputs_[2] = {};
    const float* controls_[lv2::kParameterPorts] = {};
    // The last port values applied, compared bit for bit.
    uint32_t applied_[lv2::kParameterPorts] = {};
    float* latency_ = nullptr;
    const float* truePeakCeiling_ = nullptr;
    LV2_Atom_Sequence* notify_ = nullptr;
    bool controlsApplied_ = false;

    EditorSettings settings_;
    // Mapped when the host maps every URI; without that there is no saved state and no
    // notification.
    bool mapped_ = false;
    LV2_URID settingKeys_[lv2::kSettingCount] = {};
    LV2_URID floatType_ = 0;
    LV2_URID sequenceType_ = 0;
    LV2_URID objectType_ = 0;
    LV2_URID stateChanged_ = 0;
};

// The CLAP edition's plug-in instance: the plug-in editions' chain (CProcessor) behind the
// CLAP calls, with its settings in CParameterValues. The host's parameter events are applied
// at their frame inside the block; the editor's changes are applied on the audio thread while
// the plug-in is active (else in the host's flush) and reported to the host there as events.
// The latency is the chain's at activation; switching the ceiling on or off asks the host for
// a restart, which takes the new one.
#pragma once

#include "core/Processor.h"
#include "plugin/clap/ClapInterface.h"
#include "plugin/clap/EditorChanges.h"

#include <atomic>
#include <cstdint>
#include <memory>

class ClapGui;

class ClapPlugin
{
  public:
    ClapPlugin(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor);
    ~ClapPlugin();
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    // The instance behind the host's handle, or null for one this build did not make.
    static ClapPlugin* of(const clap_plugin_t* plugin);
    const clap_plugin_t* clapPlugin() const { return &plugin_; }

    // Every call of the host holds the instance: the host may destroy it from inside a call
    // made during another, and it goes when the last hold is let go.
    void retain() { holds_.fetch_add(1, std::memory_order_relaxed); }
    void release();
    // The host's destroy: the editor closes, and the instance goes once nothing holds it.
    void destroyForHost();

    // ------------------------------------------------------------ the host's main thread
    bool init();
    // False for a rate the chain cannot run at or a block size range that is none.
    bool activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void deactivate();
    uint32_t latency() const { return latency_; }
    bool getValue(clap_id id, double* value) const;
    bool save(const clap_ostream_t* stream) const;
    // Every setting from the state, or, for damaged, foreign or too long state, none.
    bool load(const clap_istream_t* stream);

    // ------------------------------------------------------------ the audio thread
    bool startProcessing();
    void stopProcessing();
    void reset();
    clap_process_status process(const clap_process_t* process);
    // The host's flush: while active and not processing on the audio thread, else on the main
    // thread.
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    // ------------------------------------------------------------ for the editor
    CParameterValues& values() { return values_; }
    PublishedState& published() { return processor_.audio().published(); }
    EditorChanges& editorChanges() { return editorChanges_; }
    // The editor changed a setting: the state is marked changed, and the host hears of the
    // setting at its next flush, which it is asked for while nothing processes.
    void editorChanged();
    void requestFlush();
    // The settings the host changed since the editor last looked, one bit per index.
    uint32_t takeHostChanges() { return hostChanges_.exchange(0, std::memory_order_acquire); }
    ClapGui* gui() const { return gui_.get(); }
    bool createGui(const char* api, bool floating);
    void destroyGui();
    const clap_host_t* host() const { return host_; }

  private:
    static constexpr uint32_t kTag = 0x434c3037; // "CL07"
    // The longest state taken: far more than the settings' text ever needs.
    static constexpr size_t kLargestState = 64 * 1024;

    void applyEvent(const clap_event_header_t& event, const clap_output_events_t* out);
    void selectProgram(int program, const clap_output_events_t* out);
    void reportEditorChanges(const clap_output_events_t* out);
    void pushValue(const clap_output_events_t* out, int index) const;
    void pushGesture(const clap_output_events_t* out, int index, uint16_t type) const;
    void applySetting(int index);
    void askRestartForLatency();

    const uint32_t tag_ = kTag;
    clap_plugin_t plugin_;
    const clap_host_t* host_;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_latency_t* hostLatency_ = nullptr;
    const clap_host_state_t* hostState_ = nullptr;
    std::atomic<int> holds_{1};
    bool destroyed_ = false;

    CParameterValues values_;
    CProcessor processor_;
    EditorChanges editorChanges_;
    std::atomic<uint32_t> hostChanges_{0};
    // The factory program chosen last.
    std::atomic<int> program_{0};
    // Set by a state load while active: the audio thread applies every setting.
    std::atomic<bool> reapply_{false};
    std::atomic<bool> active_{false};
    std::atomic<bool> processing_{false};
    std::atomic<bool> restartAsked_{false};
    // The latency reported at the last activation.
    uint32_t latency_;
    std::unique_ptr<ClapGui> gui_;
};

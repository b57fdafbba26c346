// A CLAP host for the tests: takes a plug-in's clap_entry (from the built library, loaded as
// hosts load it, or linked into the test), creates the instance through the factory, plays
// blocks with parameter events, and records what the plug-in asks of the host.
#pragma once

#include "plugin/clap/ClapInterface.h"

#include <functional>
#include <string>
#include <vector>

// The entry of the library at path, loaded for the rest of the process; null when it cannot be
// loaded or exports no clap_entry.
const clap_plugin_entry_t* loadClapEntry(const std::string& path);
// The built plug-in the tests load: VRN07_CLAP_PLUGIN from the environment, else the one
// the build names.
std::string clapPluginPath();

clap_event_param_value_t valueEvent(clap_id id, double plain, uint32_t time = 0);

struct OutputEvent
{
    uint16_t type;
    clap_id id;
    double value; // of a value event
};

class ClapHost
{
  public:
    // Creates the instance with the id and inits it; plugin() is null when that fails.
    ClapHost(const clap_plugin_entry_t* entry, const char* id = "norvik.vrn07");
    ~ClapHost();
    ClapHost(const ClapHost&) = delete;
    ClapHost& operator=(const ClapHost&) = delete;

    const clap_plugin_t* plugin() const { return plugin_; }
    const clap_plugin_factory_t* factory() const { return factory_; }
    template <class Extension> const Extension* extension(const char* id) const
    {
        return static_cast<const Extension*>(plugin_->get_extension(plugin_, id));
    }
    // Destroys the instance now (also from inside one of its calls to the host).
    void destroy();

    bool activate(double rate = 48000, uint32_t maxFrames = 4096);
    void deactivate();
    // One process call over the buffers (in place when they are the same); the output events
    // are added to outputs().
    clap_process_status process(const float* inLeft, const float* inRight, float* outLeft,
                                float* outRight, uint32_t frames,
                                const std::vector<clap_event_param_value_t>& events = {});
    // Plays a whole stereo sound (interleaved) in blocks of blockFrames, events in the first.
    std::vector<float> play(const std::vector<float>& interleaved, uint32_t blockFrames,
                            const std::vector<clap_event_param_value_t>& events = {});
    void flush(const std::vector<clap_event_param_value_t>& events = {});

    double value(clap_id id) const;
    uint32_t latency() const;
    std::string saveState() const;
    // Hands the state over in pieces of at most chunk bytes.
    bool loadState(const std::string& state, size_t chunk = 1 << 20);

    std::vector<OutputEvent>& outputs() { return outputs_; }
    int restartRequests = 0;
    int flushRequests = 0;
    int latencyChanges = 0;
    int rescans = 0;
    int dirtyMarks = 0;
    std::vector<uint32_t> timerPeriods;
    std::vector<int> watchedFds;
    bool offersTimers = true;
    bool offersFds = true;
    // Called from inside the instance's request for a flush.
    std::function<void()> onFlushRequest;

  private:
    static ClapHost& of(const clap_host_t* host);
    static const void* CLAP_CALL extensionOf(const clap_host_t* host, const char* id);

    clap_host_t host_;
    const clap_plugin_entry_t* entry_;
    const clap_plugin_factory_t* factory_ = nullptr;
    const clap_plugin_t* plugin_ = nullptr;
    std::vector<OutputEvent> outputs_;
};

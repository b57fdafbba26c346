// Drives one plug-in instance as a host does, through its AEffect record and dispatcher:
// either the plug-in code linked into this program, or a plug-in binary loaded by path.
#pragma once

#include "engine/MeterValues.h"
#include "tools/host/HostHarness.h"

#include <array>
#include <memory>
#include <string>

class OfflineHost
{
  public:
    // An instance of the linked-in plug-in code.
    OfflineHost();
    // An instance of the plug-in binary at path. Throws RenderError when it cannot be
    // loaded or is not a stereo effect.
    explicit OfflineHost(const std::string& pluginPath);
    // Sends effClose.
    ~OfflineHost();

    OfflineHost(const OfflineHost&) = delete;
    OfflineHost& operator=(const OfflineHost&) = delete;

    // Tells the instance the rate and the largest block, and switches it on.
    void start(float sampleRate, int blockFrames);
    void selectProgram(int program);
    // Sets a parameter by its real value through the host's normalised interface.
    void setParameter(int index, double realValue);
    // One processReplacing call of at most the block size announced to start.
    void process(float* inLeft, float* inRight, float* outLeft, float* outRight, int frames);
    // Switches the instance off.
    void stop();
    // How many frames the output lags behind the input with the settings made: SafeClip's
    // delay while the effect processes, none while its own bypass passes the input on.
    int delayFrames() const;

    // Opens the editor without a window, as a host opens it with no parent; the linked-in
    // code only. Throws RenderError when it cannot open.
    void openEditor();
    // One host idle call: the open editor redraws and ticks.
    void idleEditor();
    // Draws the open editor's whole panel into a PNG file; false when it cannot.
    bool writeSnapshot(const std::string& path) const;

    // Whether the band gain reduction can be read: only for the linked-in code, and not
    // after skipBandMeters().
    bool hasBandMeters() const { return linkedObject_ != nullptr && readsBandMeters_; }
    // Leaves the band meters unread: the effect then records no meters and no envelopes,
    // which a render that is only measured does not need.
    void skipBandMeters() { readsBandMeters_ = false; }
    // The lowest gain of each band (low, mid, high) since start, as a linear factor.
    const std::array<double, kNumBands>& deepestBandGains() const { return deepestBandGains_; }
    // The same during the last process call (with an open editor: since its last tick).
    const std::array<double, kNumBands>& lastBandGains() const { return lastBandGains_; }

  private:
    void adopt(AEffect* effect, const std::string& name);
    void takeBandMeters();

    std::unique_ptr<PluginLibrary> library_;
    HostHarness harness_;
    std::unique_ptr<PluginInstance> instance_;
    // The linked-in code's instance object; none for a binary loaded by path.
    void* linkedObject_ = nullptr;
    bool editorOpen_ = false;
    bool readsBandMeters_ = true;
    std::array<double, kNumBands> deepestBandGains_{1.0, 1.0, 1.0};
    std::array<double, kNumBands> lastBandGains_{1.0, 1.0, 1.0};
};

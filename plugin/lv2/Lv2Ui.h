// The LV2 edition's user interface: the same editor as the VST 2.4 edition's, embedded in
// the host's window. Knob turns go to the host as port writes, gestures through the touch
// feature, and the host's port changes come back as the editor's parameter changes. Through
// instance access it reads what the plug-in publishes and keeps the editor-only settings in
// the plug-in; without it, it is a control surface only. The panel carries the true-peak
// ceiling, which has a port of its own.
#pragma once

#include "editor/EditorHost.h"
#include "engine/ControlTable.h"
#include "gui/CallDepth.h"
#include "plugin/lv2/Lv2Ports.h"
#include "plugin/lv2/PortEchoFilter.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

class Lv2Effect;
class SDEditor;

class Lv2Ui : public EditorHost
{
  public:
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller,
          const LV2_Feature* const* features);
    ~Lv2Ui() override;
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // Opens the editor in the host's parent window; its window, or null when it cannot open.
    LV2UI_Widget open();
    // A control port's new value, from the host.
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // The host's idle call: events, the 25 ms tick and the settings of a restored session.
    // Non-zero once the editor's window is gone.
    int idle();
    // The host's cleanup: closes the editor, and the host is never called again. The object
    // itself may go only once no host call runs on it (see hostCalls()).
    void close();
    // The host's calls running on this object: the entry points count them, and the host's
    // cleanup waits for the outermost to return. A knob's drag calls the host from inside
    // the idle call, and a host may clean up from inside such a call.
    CallDepth& hostCalls() { return hostCalls_; }

    // What the editor asks of its host.
    float getParameter(int32_t index) override;
    void setParameterAutomated(int32_t index, float value) override;
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    bool sizeWindow(int32_t width, int32_t height) override;
    bool carriesCeiling() const override { return true; }

    SDEditor& editor() { return *editor_; }
    bool readsPlugin() const { return effect_ != nullptr; }

  private:
    // The ports the editor writes: the host-facing controls' in order, then the ceiling's.
    static constexpr int kWrittenPorts = lv2::kParameterPorts + 1;

    void writePort(int index, float normalized);
    void touch(int index, bool grabbed);
    void resetToDefaults();
    void followRestoredSettings();

    CallDepth hostCalls_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    void* parent_ = nullptr;
    const LV2UI_Resize* resize_ = nullptr;
    const LV2UI_Touch* touch_ = nullptr;
    Lv2Effect* effect_ = nullptr;
    std::unique_ptr<SDEditor> editor_;
    // Normalised values of the ports' parameters and the ceiling, and of the settings without
    // instance access.
    float parameters_[kParamCeiling + 1] = {};
    CPortEchoFilter echoes_[kWrittenPorts];
    float lastWritten_[kWrittenPorts] = {};
    uint32_t settingsSeen_ = 0;
};

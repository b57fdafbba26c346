// The VST3 edition's plug-in: one object that is the component, the audio processor, the
// edit controller and the unit information of the program list, built on the plug-in
// editions' chain and their settings. The host's parameter queues change the settings at
// their sample offsets on the audio thread; the editor's changes go to the host's handler
// and reach the chain through the audio thread as well, taken at the start of the next block,
// so that only the audio thread applies settings while the plug-in is active.
#pragma once

#include "core/ParameterValues.h"
#include "core/Processor.h"
#include "plugin/vst3/Vst3Interface.h"

#include <atomic>
#include <cstdint>

class Vst3View;

class Vst3Effect final : public vst3::IComponent,
                         public vst3::IAudioProcessor,
                         public vst3::IEditController,
                         public vst3::IUnitInfo
{
  public:
    // The class id hosts store in sessions: never change it.
    static constexpr vst3::Uid kClassId =
        vst3::makeUid(0x56524E30, 0x37A14C3D, 0x9E0B5F27, 0x6C8D4B19);
    static constexpr char kClassName[] = "VRN-07";
    // The most state bytes taken from a host: far more than any saved settings.
    static constexpr int kStateLimit = 64 * 1024;

    Vst3Effect();
    Vst3Effect(const Vst3Effect&) = delete;
    Vst3Effect& operator=(const Vst3Effect&) = delete;

    // ------------------------------------------------------------ FUnknown, IPluginBase
    vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_CALL addRef() override;
    uint32_t VST3_CALL release() override;
    vst3::tresult VST3_CALL initialize(vst3::FUnknown* context) override;
    vst3::tresult VST3_CALL terminate() override;

    // ------------------------------------------------------------ IComponent
    vst3::tresult VST3_CALL getControllerClassId(vst3::TUID classId) override;
    vst3::tresult VST3_CALL setIoMode(int32_t mode) override;
    int32_t VST3_CALL getBusCount(int32_t type, int32_t direction) override;
    vst3::tresult VST3_CALL getBusInfo(int32_t type, int32_t direction, int32_t index,
                                       vst3::BusInfo& bus) override;
    vst3::tresult VST3_CALL getRoutingInfo(vst3::RoutingInfo& in, vst3::RoutingInfo& out) override;
    vst3::tresult VST3_CALL activateBus(int32_t type, int32_t direction, int32_t index,
                                        vst3::TBool state) override;
    vst3::tresult VST3_CALL setActive(vst3::TBool state) override;
    // The component's and the controller's state are one: every setting as versioned text.
    vst3::tresult VST3_CALL setState(vst3::IBStream* state) override;
    vst3::tresult VST3_CALL getState(vst3::IBStream* state) override;

    // ------------------------------------------------------------ IAudioProcessor
    vst3::tresult VST3_CALL setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t inputCount,
                                               vst3::SpeakerArrangement* outputs,
                                               int32_t outputCount) override;
    vst3::tresult VST3_CALL getBusArrangement(int32_t direction, int32_t index,
                                              vst3::SpeakerArrangement& arrangement) override;
    vst3::tresult VST3_CALL canProcessSampleSize(int32_t symbolicSampleSize) override;
    uint32_t VST3_CALL getLatencySamples() override;
    vst3::tresult VST3_CALL setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult VST3_CALL setProcessing(vst3::TBool state) override;
    vst3::tresult VST3_CALL process(vst3::ProcessData& data) override;
    uint32_t VST3_CALL getTailSamples() override;

    // ------------------------------------------------------------ IEditController
    vst3::tresult VST3_CALL setComponentState(vst3::IBStream* state) override;
    int32_t VST3_CALL getParameterCount() override;
    vst3::tresult VST3_CALL getParameterInfo(int32_t index, vst3::ParameterInfo& info) override;
    vst3::tresult VST3_CALL getParamStringByValue(vst3::ParamID id, vst3::ParamValue normalized,
                                                  vst3::String128 text) override;
    vst3::tresult VST3_CALL getParamValueByString(vst3::ParamID id, vst3::TChar* text,
                                                  vst3::ParamValue& normalized) override;
    vst3::ParamValue VST3_CALL normalizedParamToPlain(vst3::ParamID id,
                                                      vst3::ParamValue normalized) override;
    vst3::ParamValue VST3_CALL plainParamToNormalized(vst3::ParamID id,
                                                      vst3::ParamValue plain) override;
    vst3::ParamValue VST3_CALL getParamNormalized(vst3::ParamID id) override;
    vst3::tresult VST3_CALL setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult VST3_CALL setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* VST3_CALL createView(vst3::FIDString name) override;

    // ------------------------------------------------------------ IUnitInfo
    int32_t VST3_CALL getUnitCount() override;
    vst3::tresult VST3_CALL getUnitInfo(int32_t index, vst3::UnitInfo& info) override;
    int32_t VST3_CALL getProgramListCount() override;
    vst3::tresult VST3_CALL getProgramListInfo(int32_t index, vst3::ProgramListInfo& info) override;
    vst3::tresult VST3_CALL getProgramName(vst3::ProgramListID list, int32_t program,
                                           vst3::String128 name) override;
    vst3::tresult VST3_CALL getProgramInfo(vst3::ProgramListID list, int32_t program,
                                           const char* attribute, vst3::String128 value) override;
    vst3::tresult VST3_CALL hasProgramPitchNames(vst3::ProgramListID list,
                                                 int32_t program) override;
    vst3::tresult VST3_CALL getProgramPitchName(vst3::ProgramListID list, int32_t program,
                                                int16_t pitch, vst3::String128 name) override;
    vst3::UnitID VST3_CALL getSelectedUnit() override;
    vst3::tresult VST3_CALL selectUnit(vst3::UnitID unit) override;
    vst3::tresult VST3_CALL getUnitByBus(int32_t type, int32_t direction, int32_t bus,
                                         int32_t channel, vst3::UnitID& unit) override;
    vst3::tresult VST3_CALL setUnitProgramData(int32_t listOrUnit, int32_t program,
                                               vst3::IBStream* data) override;

    // ------------------------------------------------------------ for the view
    CParameterValues& values() { return values_; }
    PublishedState& published() { return chain_.audio().published(); }
    // The editor changed a setting (normalised as the settings keep it): kept, handed to the
    // audio thread, and reported to the host's handler when the host knows the parameter.
    void editorChange(int index, double normalized);
    void editorGesture(int index, bool begins);
    // Counts the changes of many settings at once (a program, a restored state), so that an
    // open editor shows them.
    uint32_t settingsGeneration() const { return generation_.load(std::memory_order_acquire); }
    // The run loop's share: tells the host of settings a program or a state replaced, and of
    // a latency that changed meanwhile.
    void mainThreadWork();
    void viewOpened(Vst3View* view) { view_ = view; }
    void viewClosed(Vst3View* view);

  private:
    ~Vst3Effect();

    // Audio thread.
    void applyPending();
    void applyHostValue(vst3::ParamID id, double value);
    bool hasStereoBuses(const vst3::ProcessData& data) const;
    void processParameterChanges(vst3::ProcessData& data, bool withAudio);
    void processSegment(const vst3::ProcessData& data, int offset, int frames);

    // Main thread.
    void allSettingsChanged();
    void notifyHost();
    vst3::tresult restart(int32_t flags);
    int latencyOfSettings() const;
    // Forwards a setting to an open editor.
    void showInEditor(int index);

    std::atomic<uint32_t> references_{1};
    CParameterValues values_;
    CProcessor chain_;
    // The settings the audio thread applies at the start of its next block, a bit each.
    std::atomic<uint32_t> pending_{0};
    std::atomic<uint32_t> generation_{0};
    // Many settings changed (a program, a state): the host is told from the run loop.
    std::atomic<bool> valuesChangedLater_{false};
    bool active_ = false;
    int reportedLatency_;
    vst3::IComponentHandler* handler_ = nullptr;
    Vst3View* view_ = nullptr;
};

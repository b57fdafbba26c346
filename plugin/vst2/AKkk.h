// The plug-in instance: parameters, programs, the audio path and the values its
// editor shows.
#pragma once

#include "core/ParameterAction.h"
#include "core/Processor.h"
#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/MeterValues.h"
#include "plugin/Version.h"
#include "plugin/vst2/AudioEffectX.h"

#include <memory>

class SDEditor;

struct ProgramRecord
{
    char name[kProgramNameSize];
};

class AKkk : public AudioEffectX
{
  public:
    explicit AKkk(audioMasterCallback host);
    ~AKkk() override;

    // Host requests.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    // Parameters 13 to 27: the value text's number and its unit, as the knobs show them.
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    void setSampleRate(float rate) override;
    void resume() override;

    bool canParameterBeAutomated(VstInt32) override { return true; }
    VstPlugCategory getPlugCategory() override { return kPlugCategEffect; }
    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kVendorVersion; }

    // Puts every parameter back to its table default.
    void resetToDefaults();
    // Applies a real value (dB, Hz, ms, or 0/1) to the engine and the effect's flags.
    void applyParameter(int index, float value);

    // Values the editor and the tests read.
    int sampleRate() const { return processor_.audio().published().sampleRate(); }
    double storedParameter(int index) const;
    PublishedState& published() { return processor_.audio().published(); }
    const PublishedState& published() const { return processor_.audio().published(); }
    bool spectrumMode() const { return published().spectrumMode(); }
    void editorOpened() { published().editorOpened(); }
    void editorClosed() { published().editorClosed(); }
    bool editorOpen() const { return published().editorOpen(); }
    double outputGain() const { return processor_.audio().outputGain(); }
    double limiterGain() const { return processor_.audio().limiterGain(); }
    bool processingOn() const { return processor_.audio().processingOn(); }
    bool viewerPaused() const { return published().viewerPaused(); }
    bool showSource() const { return published().showSource(); }
    bool showLimited() const { return published().showLimited(); }
    bool showOutput() const { return published().showOutput(); }
    bool meterMode() const { return published().meterMode(); }
    CSpectrumAnalyzer& inputAnalyzer() { return published().inputAnalyzer(); }
    CSpectrumAnalyzer& outputAnalyzer() { return published().outputAnalyzer(); }
    SDEditor* sdEditor() { return sdEditor_; }
    MeterValues& meters() { return published().meters(); }
    CWaveformCapture& waveformCapture() { return published().waveformCapture(); }
    const CLimiterEngine& engine() const { return processor_.audio().engine(); }

  private:
    static bool isParameterIndex(VstInt32 index) { return index >= 0 && index < kNumParameters; }
    void storeAndApply(VstInt32 index, double normalized);
    void perform(ParameterAction action);

    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<double> parameters_[kNumParameters];
    // The engine, the analysers and the waveform capture live with the effect, so that
    // closing the editor never takes them away from the audio thread.
    CProcessor processor_;
    SDEditor* sdEditor_ = nullptr;
};

// The plug-in instance: parameters, programs, the audio path and the values its
// editor shows.
#pragma once

#include "analysis/WaveformCapture.h"
#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"
#include "engine/MeterValues.h"
#include "plugin/AudioEffectX.h"
#include "plugin/Version.h"

#include <atomic>
#include <memory>

class CLimiterEngine;
class CSpectrumAnalyzer;
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

    // Values the editor reads.
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    double storedParameter(int index) const;
    bool spectrumMode() const { return spectrumMode_.load(std::memory_order_relaxed) != 0; }
    void setEditorOpen(bool open) { editorOpen_.store(open, std::memory_order_release); }
    bool editorOpen() const { return editorOpen_.load(std::memory_order_acquire); }
    double outputGain() const { return outputGain_.load(std::memory_order_relaxed); }
    double limiterGain() const { return limiterGain_.load(std::memory_order_relaxed); }
    bool processingOn() const { return processingOn_.load(std::memory_order_relaxed) != 0; }
    bool viewerPaused() const { return viewerPaused_.load(std::memory_order_relaxed) != 0; }
    bool showSource() const { return showSource_.load(std::memory_order_relaxed) != 0; }
    bool showLimited() const { return showLimited_.load(std::memory_order_relaxed) != 0; }
    bool showOutput() const { return showOutput_.load(std::memory_order_relaxed) != 0; }
    bool meterMode() const { return meterMode_.load(std::memory_order_relaxed) != 0; }
    CSpectrumAnalyzer& inputAnalyzer() { return *inputAnalyzer_; }
    CSpectrumAnalyzer& outputAnalyzer() { return *outputAnalyzer_; }
    SDEditor* sdEditor() { return sdEditor_; }
    MeterValues& meters() { return meters_; }
    CWaveformCapture& waveformCapture() { return waveCapture_; }
    const CLimiterEngine& engine() const { return *engine_; }

private:
    static bool isParameterIndex(VstInt32 index) { return index >= 0 && index < kNumParameters; }
    void storeAndApply(VstInt32 index, double normalized);
    void processBlock(float** inputs, float** outputs, VstInt32 frames);
    void bypassBlock(float** inputs, float** outputs, VstInt32 frames);
    bool feedsViewer() const { return editorOpen() && !viewerPaused(); }
    bool feedsSpectrum(bool shown) const { return feedsViewer() && spectrumMode() && shown; }

    std::atomic<int32_t> sampleRate_;
    std::unique_ptr<ProgramRecord[]> programs_;
    std::atomic<double> parameters_[kNumParameters];
    std::atomic<int32_t> spectrumMode_{0};
    std::atomic<int32_t> viewerPaused_{0};
    std::atomic<int32_t> showSource_{1};
    std::atomic<int32_t> showLimited_{1};
    std::atomic<int32_t> showOutput_{1};
    // The waveform envelopes live with the effect, so that closing the editor never takes
    // them away from the audio thread.
    CWaveformCapture waveCapture_;
    MeterValues meters_;
    std::atomic<int32_t> meterMode_{0};
    std::atomic<int32_t> processingOn_{0};
    std::atomic<double> outputGain_{1.0};
    std::atomic<double> limiterGain_{1.0};
    std::unique_ptr<CLimiterEngine> engine_;
    std::unique_ptr<CSpectrumAnalyzer> inputAnalyzer_;
    std::unique_ptr<CSpectrumAnalyzer> outputAnalyzer_;
    SDEditor* sdEditor_ = nullptr;
    std::atomic<bool> editorOpen_{false};
};

// What the effect publishes for its editor, whatever the plug-in format: the sample rate, the
// meter values, the two spectrum analysers, the waveform capture and the viewer settings that
// decide what the audio thread feeds. The audio thread writes it; the editor reads it and
// switches the feeding on and off. It lives as long as the effect, never with the editor.
#pragma once

#include "analysis/SpectrumAnalyzer.h"
#include "analysis/WaveformCapture.h"
#include "engine/MeterValues.h"

#include <atomic>
#include <cstdint>

class PublishedState
{
  public:
    explicit PublishedState(int sampleRate);

    // The rate for the analysers, the capture and the editor; the editor sees the change at
    // its next tick. Not while the audio thread runs.
    void setSampleRate(int sampleRate);
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

    // Applies a viewer or meter setting (parameters 6 to 11) in its real units; the others are
    // ignored. Any thread.
    void applyViewerSetting(int index, float value);
    bool spectrumMode() const { return spectrumMode_.load(std::memory_order_relaxed) != 0; }
    bool viewerPaused() const { return viewerPaused_.load(std::memory_order_relaxed) != 0; }
    bool showSource() const { return showSource_.load(std::memory_order_relaxed) != 0; }
    bool showLimited() const { return showLimited_.load(std::memory_order_relaxed) != 0; }
    bool showOutput() const { return showOutput_.load(std::memory_order_relaxed) != 0; }
    bool meterMode() const { return meterMode_.load(std::memory_order_relaxed) != 0; }

    // Each editor calls editorOpened() once its views exist and editorClosed() before they go:
    // while at least one is open, the audio thread writes meters and feeds the viewers. A host
    // may show several editors of one instance at once.
    void editorOpened() { openEditors_.fetch_add(1, std::memory_order_release); }
    void editorClosed() { openEditors_.fetch_sub(1, std::memory_order_release); }
    bool editorOpen() const { return openEditors_.load(std::memory_order_acquire) > 0; }
    bool feedsViewer() const { return editorOpen() && !viewerPaused(); }
    bool feedsSpectrum(bool shown) const { return feedsViewer() && spectrumMode() && shown; }

    // The effect's running state was reset: meters back to rest, both spectra emptied, and a
    // request to the editor to drop its curves. Any thread.
    void reset();
    // Whether the rate changed, or the curves were asked to be dropped, since the last call;
    // the editor's thread.
    bool takeSampleRateChange() { return sampleRateChanged_.exchange(false); }
    bool takeCurvesReset() { return curvesReset_.exchange(false); }

    // The editor's commands: what it asks of the objects the audio thread writes, instead of
    // changing them itself. Any thread.
    // Both spectra start afresh.
    void restartSpectra();
    // The capture starts an empty envelope over `columns` columns spanning `milliseconds`.
    void restartWaveform(int columns, float milliseconds);
    // The capture's time span.
    void setViewerTime(float milliseconds) { waveCapture_.setTime(milliseconds); }

    MeterValues& meters() { return meters_; }
    CSpectrumAnalyzer& inputAnalyzer() { return inputAnalyzer_; }
    CSpectrumAnalyzer& outputAnalyzer() { return outputAnalyzer_; }
    CWaveformCapture& waveformCapture() { return waveCapture_; }

  private:
    std::atomic<int32_t> sampleRate_;
    std::atomic<int32_t> spectrumMode_{0};
    std::atomic<int32_t> viewerPaused_{0};
    std::atomic<int32_t> showSource_{1};
    std::atomic<int32_t> showLimited_{1};
    std::atomic<int32_t> showOutput_{1};
    std::atomic<int32_t> meterMode_{0};
    std::atomic<int32_t> openEditors_{0};
    std::atomic<bool> sampleRateChanged_{false};
    std::atomic<bool> curvesReset_{false};
    MeterValues meters_;
    CSpectrumAnalyzer inputAnalyzer_;
    CSpectrumAnalyzer outputAnalyzer_;
    CWaveformCapture waveCapture_;
};

// Peak envelopes of three signals, one value per pixel column of the waveform view, captured
// sample by sample by the audio thread and read by the editor. The effect holds it for its
// whole life; the view configures it (columns, time span, sample rate) and reads it, so closing
// the editor only stops the feeding.
#pragma once

#include <atomic>
#include <vector>

enum class Trace
{
    source,  // input after the limiter gain
    limited, // band sum after the limiters and the output gain
    output   // final output
};

class CWaveformCapture
{
  public:
    static constexpr int kTraces = 3;
    static constexpr int kMaxColumns = 4096;
    static constexpr float kDefaultTimeMs = 250.0f;

    // Allocates the traces for kMaxColumns; no columns until the first reset.
    explicit CWaveformCapture(int sampleRate);

    // Starts an empty envelope over `columns` columns (held to 0 .. kMaxColumns): position and
    // current column 0, every trace zeroed. Editor.
    void reset(int columns);

    // The span of the columns in milliseconds, and the sample rate in Hz. Editor or dispatcher.
    void setTime(float milliseconds);
    void setSampleRate(int sampleRate);

    // Moves the capture on by one sample; entering a column clears it. Audio thread.
    void advance();

    // Raises the current column of the trace to value if it is higher. Audio thread.
    void offer(Trace trace, float value);

    int columns() const { return columns_.load(std::memory_order_relaxed); }
    int currentColumn() const { return currentColumn_.load(std::memory_order_relaxed); }
    float time() const { return time_.load(std::memory_order_relaxed); }

    // Column i of the trace's envelope, oldest first: i = columns() - 1 is the one being
    // filled. 0 outside 0 .. columns() - 1.
    float value(Trace trace, int i) const;

  private:
    std::atomic<float>& slot(Trace trace, int index);
    const std::atomic<float>& slot(Trace trace, int index) const;
    void updateStep();

    std::atomic<int> sampleRate_;
    std::atomic<float> time_{kDefaultTimeMs};
    std::atomic<int> columns_{0};
    std::atomic<float> step_{0.0f}; // columns per sample, at most 1
    std::atomic<float> position_{0.0f};
    std::atomic<int> currentColumn_{0};
    // Each trace holds column c twice, at c and c + columns, so that the columns oldest first
    // are one contiguous run from current column + 1.
    std::vector<std::atomic<float>> traces_;
};

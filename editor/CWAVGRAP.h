// The waveform viewer: the peak envelopes of the source, the limited signal and the total
// output over the last "Viewer Time" milliseconds, scrolling right to left, over a time grid
// ending at "0" on the right and a dB grid placed by "Viewer Level". It draws only while the
// effect shows the waveform, and asks the effect to capture for its columns.
#pragma once

#include <atomic>
#include <vector>

#include "analysis/WaveformCapture.h"
#include "editor/CGRAP.h"

class PublishedState;

class CWAVGRAP : public CGRAP
{
  public:
    static constexpr float kStartTimeMs = 250.0f;
    static constexpr float kLowestLevel = 0.125f;
    static constexpr float kHighestLevel = 1.0f;

    // Asks the effect to restart its capture with one column per plot column and a time
    // window of kStartTimeMs; level 1. Without an effect the view draws nothing.
    CWAVGRAP(const CRect& size, CBitmap* background, PublishedState* effect,
             CControlListener* listener);

    // The setters may be called from any thread.
    // The time window in milliseconds, also the capture's; ignored unless finite and positive.
    void setTime(float milliseconds);
    // The vertical scale: amplitude 1 / level reaches the plot's top. Held to kLowestLevel ..
    // kHighestLevel; a non-finite level is ignored.
    void setLevel(float level);
    float time() const { return time_.load(std::memory_order_relaxed); }
    float level() const { return level_.load(std::memory_order_relaxed); }

    void draw(CDrawContext* context) override;

  private:
    // Minor time lines, then the major ones with their labels, counted back from "0".
    void drawTimeGrid(CDrawContext* context, float time);
    // Lines every 6 dB up to +18 dB, starting at a level that keeps them inside the plot.
    void drawLevelGrid(CDrawContext* context, float level);
    void drawTrace(CDrawContext* context, Trace trace, const CColor& colour, float level);
    // The row of an amplitude at the given level.
    int32_t rowOf(float amplitude, float level) const;

    PublishedState* effect_;
    const CWaveformCapture* capture_;
    std::atomic<float> time_{kStartTimeMs};
    std::atomic<float> level_{kHighestLevel};
    std::vector<CPoint> vertices_;
};

// Redraw costs of the toolkit on the software back end, on a panel the size of the
// editor's: a background, 30 film-strip knobs and 30 value displays with text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "gui/BitmapResources.h"
#include "gui/CAnimKnob.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CParamDisplay.h"

namespace
{
constexpr int32_t kWidth = 754;
constexpr int32_t kHeight = 374;
constexpr int32_t kKnobSide = 33;
constexpr int32_t kKnobFrames = 73;
constexpr int32_t kKnobCount = 30;
constexpr int32_t kBackgroundId = 1;
constexpr int32_t kStripId = 2;

void put32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}

// A 24-bit BMP file of a gradient, so that copies move real data.
std::vector<unsigned char> gradientBmp(int32_t width, int32_t height)
{
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> out{'B', 'M'};
    put32(out, 54 + rowBytes * uint32_t(height));
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put32(out, 1 | 24 << 16);
    for (int i = 0; i < 6; ++i)
    {
        put32(out, 0);
    }
    for (int32_t y = 0; y < height; ++y)
    {
        for (int32_t x = 0; x < width; ++x)
        {
            out.push_back(uint8_t(x));
            out.push_back(uint8_t(y));
            out.push_back(uint8_t(x + y));
        }
        out.resize(out.size() + rowBytes - uint32_t(width) * 3, 0);
    }
    return out;
}

void formatDecibels(float value, char* text)
{
    std::snprintf(text, 64, "%.1f dB", double(value * 24.0f - 12.0f));
}

class Panel
{
  public:
    Panel()
        : background_(gradientBmp(kWidth, kHeight)),
          strip_(gradientBmp(kKnobSide, kKnobSide * kKnobFrames)),
          table_{{kBackgroundId, background_.data(), background_.size()},
                 {kStripId, strip_.data(), strip_.size()}}
    {
        setBitmapResources(table_);
        frame = new CFrame({0, 0, kWidth, kHeight}, nullptr, nullptr);
        auto* background = new CBitmap(kBackgroundId);
        frame->setBackground(background);
        background->release();
        auto* strip = new CBitmap(kStripId);
        for (int32_t i = 0; i < kKnobCount; ++i)
        {
            const int32_t x = 20 + (i % 10) * 72;
            const int32_t y = 30 + (i / 10) * 110;
            auto* knob = new CAnimKnob(rectAt(x, y, kKnobSide, kKnobSide), nullptr, i, kKnobFrames,
                                       kKnobSide, strip);
            knob->setValue(float(i) / kKnobCount);
            frame->addChild(knob);
            knobs.push_back(knob);
            auto* display = new CParamDisplay(rectAt(x - 2, y + 36, kKnobSide + 4, 12), nullptr, 1);
            display->setFont(kNormalFontVeryVerySmall);
            display->setTextColor({208, 208, 208, 0});
            display->setBackColor({64, 88, 112, 128});
            display->setBorderColor({64, 88, 112, 128});
            display->setFormatter(formatDecibels);
            display->setValue(float(i) / kKnobCount);
            frame->addChild(display);
        }
        strip->release();
        frame->draw(nullptr);
    }
    ~Panel()
    {
        frame->release();
        setBitmapResources({});
    }

    CFrame* frame;
    std::vector<CAnimKnob*> knobs;

  private:
    std::vector<unsigned char> background_;
    std::vector<unsigned char> strip_;
    BitmapResource table_[2];
};

// The window's paint: the whole frame into a window context.
void BM_FullRedraw(benchmark::State& state)
{
    Panel panel;
    for (auto _ : state)
    {
        auto* window = new CDrawContext(panel.frame);
        panel.frame->draw(window);
        window->release();
    }
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

// The timer's single-view redraw: one knob through the frame's off-screen context.
void BM_SingleKnobDrawView(benchmark::State& state)
{
    Panel panel;
    CAnimKnob* knob = panel.knobs[13];
    float value = 0.0f;
    for (auto _ : state)
    {
        value = value >= 1.0f ? 0.0f : value + 0.01f;
        knob->setValue(value);
        panel.frame->drawView(knob);
    }
}
BENCHMARK(BM_SingleKnobDrawView)->Unit(benchmark::kMicrosecond);

// A value change picked up by the frame's idle (the partial redraw of one knob).
void BM_IdleAfterOneKnobMoved(benchmark::State& state)
{
    Panel panel;
    CAnimKnob* knob = panel.knobs[13];
    float value = 0.0f;
    for (auto _ : state)
    {
        value = value >= 1.0f ? 0.0f : value + 0.05f;
        knob->setValue(value);
        knob->setDirty(true);
        panel.frame->idle();
    }
}
BENCHMARK(BM_IdleAfterOneKnobMoved)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();

// Fixtures shared by the toolkit's tests: small bitmaps built in memory, a headless frame
// with a recording editor and listener, and a scripted pointer.
#pragma once

#include <string>
#include <vector>

#include "gui/BitmapResources.h"
#include "gui/CControl.h"
#include "gui/CControlListener.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "gui/PixelImage.h"
#include "gui/platform/ScriptedInput.h"

// An uncompressed 24-bit BMP file of the image (bottom-up rows, padded to 4 bytes).
std::vector<unsigned char> encodeBmp(const PixelImage& image);

// An image of one colour.
PixelImage solidImage(int32_t width, int32_t height, uint32_t pixel);

// A film strip of frameCount frames of width by frameHeight; frame k is filled with the
// pixel value k + 1, so the frame shown can be read back from any pixel.
PixelImage numberedStrip(int32_t width, int32_t frameHeight, int32_t frameCount);

// Installs bitmaps as the binary's resources for the lifetime of the object.
class TestBitmaps
{
  public:
    TestBitmaps() = default;
    ~TestBitmaps();
    void add(int32_t id, const PixelImage& image);

  private:
    std::vector<std::vector<unsigned char>> files_;
    std::vector<int32_t> ids_;
    std::vector<BitmapResource> table_;
};

// The smallest rectangle holding every pixel that differs from background (empty if none).
CRect inkBounds(const PixelImage& image, uint32_t background);

// One line per call the toolkit made on the editor or listener, in order.
using EventLog = std::vector<std::string>;

// Plays the editor's part: logs edits, and on idlePump advances the script and lets the
// frame redraw, as the real editor's idle does.
class RecordingOwner : public CFrameOwner
{
  public:
    RecordingOwner(EventLog& log, ScriptedInput& input) : log_(log), input_(input) {}

    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;
    void idlePump() override;
    int32_t knobMode() const override { return knobMode_; }

    void setFrame(CFrame* frame) { frame_ = frame; }
    void setKnobMode(int32_t mode) { knobMode_ = mode; }
    // Also log every pump, to see what happens before and after one.
    void logPumps(bool on) { logPumps_ = on; }
    int32_t pumps() const { return pumps_; }

  private:
    EventLog& log_;
    ScriptedInput& input_;
    CFrame* frame_ = nullptr;
    int32_t knobMode_ = 0;
    int32_t pumps_ = 0;
    bool logPumps_ = false;
};

// Plays the editor's listener part: logs each value and marks the control dirty.
class RecordingListener : public CControlListener
{
  public:
    explicit RecordingListener(EventLog& log) : log_(log) {}

    void onValueChanged(CDrawContext* context, CControl* control) override;
    int32_t onModifierClick(CDrawContext* context, CControl* control, int32_t buttons) override;

    // Values in the order they arrived.
    std::vector<float> values;
    bool claimModifierClicks = false;

  private:
    EventLog& log_;
};

// A headless frame wired to a recording editor and listener, with a scripted pointer
// installed for the test's lifetime.
class HeadlessFrameFixture
{
  public:
    explicit HeadlessFrameFixture(int32_t width = 200, int32_t height = 100);
    ~HeadlessFrameFixture();

    // Draws the whole frame once, as the window's first paint does.
    void paint();
    // What the window shows.
    PixelImage windowPixels();
    // Presses at point with buttons, through the frame.
    void press(const CPoint& point, int32_t buttons = -1);

    EventLog log;
    ScriptedInput input;
    RecordingOwner owner{log, input};
    RecordingListener listener{log};
    CFrame* frame;
};

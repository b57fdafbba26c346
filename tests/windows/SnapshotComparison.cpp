// Compares the panel the Windows DLL showed under Wine with the panel the Linux build draws
// headless in the same state (just opened, no audio yet).
// usage: vrn07-snapshot-comparison WINDOWS-CAPTURE.bmp LINUX-SNAPSHOT.png
// The layout, the background and every knob must match; text may differ, as the two
// systems rasterise fonts differently. Writes the Linux snapshot for a person to compare.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "gui/BmpReader.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/platform/raster/PngWriter.h"
#include "plugin/vst2/AKkk.h"
#include "tools/host/HostHarness.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

namespace
{
// Both sides copy the same 24-bit bitmaps; a screen of another depth would round them.
constexpr int kChannelTolerance = 2;
// Text covers a few percent of the panel; everything else is bitmaps and lines.
constexpr double kPanelShare = 0.95;
constexpr double kKnobShare = 0.99;
// The Windows host lets the panel settle for 1.5 s of 25 ms ticks; the meters move per tick.
constexpr int kIdleCalls = 60;

bool alike(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift <= 16; shift += 8)
    {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > kChannelTolerance)
        {
            return false;
        }
    }
    return true;
}

double matchingShare(const PixelImage& a, const PixelImage& b, const CRect& area)
{
    const CRect inside = area.intersected({0, 0, a.width, a.height});
    int64_t matching = 0;
    for (int32_t y = inside.top; y < inside.bottom; ++y)
    {
        for (int32_t x = inside.left; x < inside.right; ++x)
        {
            matching += alike(a.at(x, y), b.at(x, y)) ? 1 : 0;
        }
    }
    const int64_t all = int64_t(inside.width()) * inside.height();
    return inside.isEmpty() ? 0.0 : double(matching) / double(all);
}

std::optional<PixelImage> readBmp(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    return decodeBmp(bytes.data(), bytes.size());
}

// The panel of a just opened editor, drawn headless.
std::optional<PixelImage> linuxPanel()
{
    HostHarness host;
    PluginInstance plugin(host.create(VSTPluginMain));
    if (plugin.effect() == nullptr)
    {
        return std::nullopt;
    }
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plugin.dispatch(effSetBlockSize, 0, 512);
    plugin.dispatch(effMainsChanged, 0, 1);
    if (plugin.dispatch(effEditOpen, 0, 0, nullptr) == 0)
    {
        return std::nullopt;
    }
    for (int i = 0; i < kIdleCalls; ++i)
    {
        plugin.dispatch(effEditIdle);
    }
    CFrame* frame = static_cast<AKkk*>(plugin.effect()->object)->sdEditor()->frame();
    const CRect size = frame->getSize();
    COffscreenContext context(frame, size.width(), size.height(), frame->getPanelColor());
    frame->draw(&context);
    PixelImage image = context.readPixels();
    plugin.dispatch(effEditClose);
    return image;
}

int failures = 0;

void check(bool condition, const char* fact, double share)
{
    std::printf("%s: %s (%.4f of the pixels match)\n", condition ? "ok" : "FAILED", fact, share);
    failures += condition ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s WINDOWS-CAPTURE.bmp LINUX-SNAPSHOT.png\n", argv[0]);
        return 2;
    }
    const std::optional<PixelImage> windows = readBmp(argv[1]);
    const std::optional<PixelImage> drawn = linuxPanel();
    if (!windows || !drawn)
    {
        std::fprintf(stderr, "%s\n",
                     !windows ? "cannot read the Windows capture" : "cannot draw the Linux panel");
        return 1;
    }
    writePng(*drawn, argv[2]);
    if (windows->width != drawn->width || windows->height != drawn->height)
    {
        std::printf("FAILED: the Windows panel is %dx%d, the Linux one %dx%d\n", windows->width,
                    windows->height, drawn->width, drawn->height);
        return 1;
    }
    check(matchingShare(*windows, *drawn, {0, 0, drawn->width, drawn->height}) >= kPanelShare,
          "the whole panel matches but for its text",
          matchingShare(*windows, *drawn, {0, 0, drawn->width, drawn->height}));
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr || row.kind != kKindAnimKnob)
        {
            continue;
        }
        // Knob film strips hold square frames as wide as the strip.
        CBitmap strip(row.bitmap);
        const CRect knob = rectAt(row.x, row.y, strip.getWidth(), strip.getWidth());
        const double share = matchingShare(*windows, *drawn, knob);
        std::printf("  %s at (%d, %d): ", row.name, row.x, row.y);
        check(share >= kKnobShare, "the knob shows the same frame", share);
    }
    std::printf("%s\n", failures == 0 ? "the panels match" : "the panels differ");
    return failures == 0 ? 0 : 1;
}

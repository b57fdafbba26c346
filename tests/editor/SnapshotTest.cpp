// Structural facts about the whole panel as drawn after a stretch of audio: what a person
// checks on a snapshot, on real pixels.
#include "tests/editor/EditorFixture.h"

#include "gui/BitmapResources.h"
#include "gui/BmpReader.h"
#include "gui/CAnimKnob.h"
#include "gui/COffscreenContext.h"

#include <cmath>
#include <optional>

namespace
{
constexpr int kTickFrames = 1102; // 25 ms at 44.1 kHz
constexpr uint32_t kSourceColour = 0x80ff80;
constexpr uint32_t kLimitedColour = 0x68d2ff;
constexpr uint32_t kOutputColour = 0xff453e;
const CRect kViewer{35, 11, 426, 162};

PixelImage embeddedBitmap(int32_t id)
{
    const BitmapResource* resource = findBitmapResource(id);
    std::optional<PixelImage> image =
        resource ? decodeBmp(resource->bytes, resource->size) : std::nullopt;
    return image ? *image : PixelImage{};
}

int countPixels(const PixelImage& image, const CRect& area, uint32_t colour)
{
    int count = 0;
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            count += image.at(x, y) == colour ? 1 : 0;
    return count;
}

class Snapshot : public HeadlessEditor
{
  protected:
    // Plays a loud, busy signal with the editor open, ticking every 25 ms, then draws it all.
    PixelImage playAndDraw()
    {
        std::vector<float> left(kTickFrames), right(kTickFrames), outLeft(kTickFrames),
            outRight(kTickFrames);
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        for (int tick = 0; tick < 80; ++tick)
        {
            for (int i = 0; i < kTickFrames; ++i)
            {
                const double t = (tick * kTickFrames + i) / 44100.0;
                const double burst = std::fmod(t, 0.25) < 0.05 ? 1.5 : 0.3;
                left[size_t(i)] = float(burst * std::sin(6.2831853 * 110 * t) +
                                        0.2 * std::sin(6.2831853 * 3300 * t));
                right[size_t(i)] = left[size_t(i)];
            }
            plugin_->process(in, out, kTickFrames);
            idle();
        }
        const CRect size = frame()->getSize();
        COffscreenContext context(frame(), size.width(), size.height(), frame()->getPanelColor());
        frame()->draw(&context);
        return context.readPixels();
    }
};
} // namespace

TEST_F(Snapshot, ShowsTheBackgroundWhereNoViewIs)
{
    ASSERT_TRUE(open());
    const PixelImage panel = playAndDraw();
    const PixelImage background = embeddedBitmap(11030);
    ASSERT_EQ(background.width, panel.width);
    // The product name's corner, the band section's caption row and, in this edition, the
    // place of the true-peak ceiling hold no view.
    for (const CPoint& point :
         {CPoint{600, 300}, CPoint{20, 180}, CPoint{740, 10}, CPoint{474, 252}, CPoint{520, 265}})
        EXPECT_EQ(panel.at(point.h, point.v), background.at(point.h, point.v))
            << point.h << "," << point.v;
}

TEST_F(Snapshot, ShowsEachKnobsFrameForItsValue)
{
    plugin_->setParameter(14, 0.75f);
    ASSERT_TRUE(open());
    const PixelImage panel = playAndDraw();
    const PixelImage strip = embeddedBitmap(11028);
    auto* knob = static_cast<CAnimKnob*>(editor().control(14));
    const CRect size = knob->getSize();
    const int32_t frameTop = knob->frameOffset();
    int differing = 0;
    for (int32_t y = 0; y < size.height(); ++y)
        for (int32_t x = 0; x < size.width(); ++x)
            differing += panel.at(size.left + x, size.top + y) != strip.at(x, frameTop + y);
    EXPECT_EQ(differing, 0);
    EXPECT_GT(frameTop, 0);
}

TEST_F(Snapshot, DrawsTheThreeEnvelopesInWaveformMode)
{
    ASSERT_TRUE(open());
    const PixelImage panel = playAndDraw();
    EXPECT_GT(countPixels(panel, kViewer, kSourceColour), 20);
    EXPECT_GT(countPixels(panel, kViewer, kLimitedColour), 20);
    EXPECT_GT(countPixels(panel, kViewer, kOutputColour), 20);
}

TEST_F(Snapshot, DrawsTheSourceAndOutputSpectraInSpectrumMode)
{
    plugin_->setParameter(6, 0.0f);
    ASSERT_TRUE(open());
    const PixelImage panel = playAndDraw();
    EXPECT_GT(countPixels(panel, kViewer, kSourceColour), 20);
    EXPECT_GT(countPixels(panel, kViewer, kOutputColour), 20);
    EXPECT_EQ(countPixels(panel, kViewer, kLimitedColour), 0) << "no limiter curve here";
}

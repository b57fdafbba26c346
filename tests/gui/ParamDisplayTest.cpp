// Value displays and labels: the text they show and what each style bit draws.
#include <gtest/gtest.h>

#include <cstdio>

#include "GuiTestSupport.h"
#include "gui/CDrawContext.h"
#include "gui/COffscreenContext.h"
#include "gui/COnOffButton.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CTextLabel.h"

namespace
{
constexpr CRect kRect{4, 4, 60, 20};
constexpr CColor kBack{10, 20, 30, 255};
constexpr CColor kBorder{200, 0, 0, 255};
constexpr uint32_t kCanvas = 0x00FF00;

void formatDecibelsLike(float value, char* text)
{
    std::snprintf(text, 64, "%.1f dB", double(value));
}

void formatWithUnit(float value, char* text, void* unit)
{
    std::snprintf(text, 64, "%.0f %s", double(value), static_cast<const char*>(unit));
}

void style(CParamDisplay& display)
{
    display.setBackColor(kBack);
    display.setBorderColor(kBorder);
    display.setTextColor({255, 255, 255, 255});
    display.setFont(kNormalFontVeryVerySmall);
}

PixelImage drawn(CParamDisplay& display, uint32_t canvas = kCanvas)
{
    COffscreenContext context(nullptr, 64, 24, colourOfPixel(canvas));
    display.draw(&context);
    return context.readPixels();
}

std::string textOf(const CParamDisplay& display)
{
    char text[kParamDisplayTextBytes];
    display.formatValue(text);
    return text;
}

// A display and the label of the text it should show draw the same pixels.
void expectShows(CParamDisplay& display, const char* text)
{
    CTextLabel label(kRect, text);
    style(display);
    style(label);
    EXPECT_EQ(textOf(display), text);
    EXPECT_EQ(drawn(display).pixels, drawn(label).pixels);
}
} // namespace

TEST(ParamDisplay, ShowsTheValueWithTwoDecimalsWithoutAFormatter)
{
    CParamDisplay display(kRect, nullptr, 1);
    display.setValue(0.25f);
    expectShows(display, "0.25");
}

TEST(ParamDisplay, ShowsWhatItsFormatterWrites)
{
    CParamDisplay display(kRect, nullptr, 1);
    display.setValue(-6.0f);
    display.setFormatter(formatDecibelsLike);
    expectShows(display, "-6.0 dB");
    char unit[] = "Hz";
    display.setFormatterWithData(formatWithUnit, unit);
    display.setValue(440.0f);
    expectShows(display, "440 Hz");
}

TEST(ParamDisplay, FillsAndFramesItsRectangleAndCentresTheText)
{
    CTextLabel label(kRect, "x");
    style(label);
    const PixelImage image = drawn(label);
    EXPECT_EQ(image.at(kRect.left, kRect.top), pixelOf(kBorder));
    EXPECT_EQ(image.at(kRect.right - 1, kRect.bottom - 1), pixelOf(kBorder));
    EXPECT_EQ(image.at(kRect.left + 1, kRect.top + 1), pixelOf(kBack));
    EXPECT_EQ(image.at(kRect.right, kRect.bottom), kCanvas);
    // The only other pixels are the text's, around the middle.
    CRect ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = kRect.top + 1; y < kRect.bottom - 1; ++y)
    {
        for (int32_t x = kRect.left + 1; x < kRect.right - 1; ++x)
        {
            if (image.at(x, y) != pixelOf(kBack))
            {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, (kRect.left + kRect.right) / 2.0, 2.0);
}

TEST(ParamDisplay, StyleBitsDecideWhatIsDrawn)
{
    CTextLabel label(kRect, "88");
    style(label);
    const PixelImage plain = drawn(label);

    label.setStyle(kNoDrawStyle);
    EXPECT_EQ(inkBounds(drawn(label), kCanvas), CRect{});

    label.setStyle(kNoTextStyle);
    const PixelImage noText = drawn(label);
    EXPECT_EQ(noText.at(kRect.left + 1, kRect.top + 1), pixelOf(kBack));
    EXPECT_NE(noText.pixels, plain.pixels);
    label.setStyle(kNoTextStyle | kNoFrame);
    // Without the frame the top row and left column keep the canvas (fillRect leaves them).
    EXPECT_EQ(drawn(label).at(kRect.right - 1, kRect.bottom - 1), pixelOf(kBack));

    label.setStyle(kNoTextStyle | k3DIn);
    PixelImage bevel = drawn(label);
    EXPECT_EQ(bevel.at(kRect.left, kRect.top + 5), pixelOf(kBack));
    EXPECT_EQ(bevel.at(kRect.right - 1, kRect.top + 5), pixelOf(kBorder));
    EXPECT_EQ(bevel.at(kRect.left + 5, kRect.bottom - 1), pixelOf(kBorder));
    label.setStyle(kNoTextStyle | k3DOut);
    bevel = drawn(label);
    EXPECT_EQ(bevel.at(kRect.left, kRect.top + 5), pixelOf(kBorder));
    EXPECT_EQ(bevel.at(kRect.left + 5, kRect.top), pixelOf(kBorder));
    EXPECT_EQ(bevel.at(kRect.right - 1, kRect.top + 5), pixelOf(kBack));
}

TEST(ParamDisplay, ShadowTextAddsInkOnePixelRightAndDown)
{
    CTextLabel label(kRect, "88");
    style(label);
    label.setShadowColor({255, 255, 0, 255});
    const CRect plain = inkBounds(drawn(label), pixelOf(kBack));
    label.setStyle(kShadowText);
    const CRect shadowed = inkBounds(drawn(label), pixelOf(kBack));
    // The frame is part of both; compare the text alone, on a canvas of the back colour.
    CTextLabel frameless(kRect, "88");
    style(frameless);
    frameless.setStyle(kNoFrame);
    const CRect text = inkBounds(drawn(frameless, pixelOf(kBack)), pixelOf(kBack));
    frameless.setStyle(kNoFrame | kShadowText);
    frameless.setShadowColor({255, 255, 0, 255});
    const CRect withShadow = inkBounds(drawn(frameless, pixelOf(kBack)), pixelOf(kBack));
    EXPECT_EQ(plain, shadowed);
    EXPECT_EQ(withShadow, (CRect{text.left, text.top, text.right + 1, text.bottom + 1}));
}

TEST(ParamDisplay, ATransparentDisplayDrawsOnlyItsText)
{
    CTextLabel label(kRect, "88");
    style(label);
    label.setTransparent(true);
    const PixelImage image = drawn(label);
    EXPECT_EQ(image.at(kRect.left, kRect.top), kCanvas);
    EXPECT_EQ(image.at(kRect.left + 1, kRect.top + 1), kCanvas);
    EXPECT_NE(inkBounds(image, kCanvas), CRect{});
}

TEST(ParamDisplay, SettersMarkItDirtyOnlyWhenSomethingChanges)
{
    CParamDisplay display(kRect);
    style(display);
    COffscreenContext context(nullptr, 64, 24, {0, 0, 0, 255});
    display.draw(&context);
    EXPECT_FALSE(display.isDirty());
    style(display);
    display.setStyle(0);
    EXPECT_FALSE(display.isDirty());
    display.setAlignment(kRightText);
    EXPECT_TRUE(display.isDirty());
    display.draw(&context);
    display.setValue(3.0f);
    EXPECT_TRUE(display.isDirty());
}

TEST(ParamDisplay, TakesPressesAndDoesNothingSoNoneReachesTheControlBelow)
{
    HeadlessFrameFixture fixture;
    auto* below = new COnOffButton(kRect, &fixture.listener, 9, nullptr);
    fixture.frame->addChild(below);
    fixture.press({10, 10}, 1);
    ASSERT_EQ(fixture.listener.values.size(), 1u) << "the button alone takes a press";

    auto* display = new CParamDisplay(kRect);
    fixture.frame->addChild(display);
    fixture.press({10, 10}, 1);
    EXPECT_EQ(fixture.listener.values.size(), 1u);
    EXPECT_EQ(below->getValue(), 1.0f);

    CParamDisplay plain(kRect);
    EXPECT_TRUE(plain.isClass("CParamDisplay"));
    EXPECT_TRUE(CTextLabel(kRect).isClass("CParamDisplay"));
    EXPECT_TRUE(CTextLabel(kRect).isClass("CTextLabel"));
}

TEST(TextLabel, KeepsItsOwnCopyAndNullClears)
{
    char text[] = "Gain";
    CTextLabel label(kRect, text);
    text[0] = 'X';
    EXPECT_STREQ(label.getText(), "Gain");
    label.setText(nullptr);
    EXPECT_STREQ(label.getText(), "");
    style(label);
    const PixelImage image = drawn(label);
    EXPECT_EQ(inkBounds(image, kCanvas), kRect);
    for (int32_t x = kRect.left + 1; x < kRect.right - 1; ++x)
    {
        EXPECT_EQ(image.at(x, 12), pixelOf(kBack));
    }
}

TEST(OptionMenu, ShowsTheSelectedEntryAndAPressStepsToTheNext)
{
    HeadlessFrameFixture fixture;
    auto* menu = new COptionMenu(kRect, &fixture.listener, 6);
    for (const char* entry : {"Off", "Slow", "Fast"})
    {
        menu->addEntry(entry);
    }
    fixture.frame->addChild(menu);
    EXPECT_EQ(menu->getNbEntries(), 3);
    EXPECT_STREQ(menu->getEntry(2), "Fast");
    EXPECT_EQ(menu->getEntry(3), nullptr);
    EXPECT_EQ(menu->getMax(), 2.0f);

    style(*menu);
    CTextLabel slow(kRect, "Slow");
    style(slow);
    menu->setValue(1.0f);
    EXPECT_EQ(drawn(*menu).pixels, drawn(slow).pixels);

    fixture.press({10, 10}, 1);
    fixture.press({10, 10}, 1);
    EXPECT_EQ(fixture.listener.values, (std::vector<float>{2.0f, 0.0f}));
    EXPECT_EQ(menu->getCurrentIndex(), 0);
}

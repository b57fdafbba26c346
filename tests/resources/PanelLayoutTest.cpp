// The panel's composition: controls each inside a framed section, and captions that fit their
// place and leave every control and value display clear. That the editor puts its controls in
// the same boxes is checked with the editor.
#include "resources/generator/PanelLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace
{
std::string describe(const Box& box)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%g, %g, %g, %g)", double(box.left), double(box.top),
                  double(box.right), double(box.bottom));
    return text;
}
} // namespace

TEST(PanelLayout, PutsEveryControlInsideOneSection)
{
    const std::vector<Box> sections = panelSections();
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.kind == kKindNone || row.kind == kKindWaveGraph)
            continue;
        int holding = 0;
        for (const Box& section : sections)
        {
            if (section.inset(2).contains(controlBox(row)))
                ++holding;
        }
        EXPECT_EQ(holding, 1) << row.name;
    }
    for (size_t a = 0; a < sections.size(); ++a)
    {
        for (size_t b = a + 1; b < sections.size(); ++b)
            EXPECT_FALSE(sections[a].intersects(sections[b])) << a << " and " << b;
    }
}

TEST(PanelLayout, KeepsEveryCaptionClearOfControlsAndValueDisplays)
{
    const std::vector<Box> occupied = occupiedBoxes();
    for (const Caption& caption : panelCaptions())
    {
        for (const Box& box : occupied)
            EXPECT_FALSE(caption.box.intersects(box))
                << caption.text << " " << describe(caption.box) << " meets " << describe(box);
    }
}

TEST(PanelLayout, FitsEveryCaptionInItsBoxInsideASection)
{
    const TextRenderer text;
    ASSERT_TRUE(text.ok());
    const Box panel{0, 0, kPanelWidth, kPanelHeight};
    for (const Caption& caption : panelCaptions())
    {
        const TextStyle style = captionTextStyle(caption.style);
        EXPECT_LE(text.measure(caption.text, style), caption.box.width()) << caption.text;
        EXPECT_LE(text.capHeight(style), caption.box.height()) << caption.text;
        EXPECT_TRUE(panel.contains(caption.box)) << caption.text;
        bool inSection = false;
        for (const Box& section : panelSections())
            inSection = inSection || section.inset(3).contains(caption.box);
        EXPECT_TRUE(inSection) << caption.text << " " << describe(caption.box);
    }
}

TEST(PanelLayout, CaptionsEveryPartOfThePanel)
{
    std::vector<std::string> texts;
    for (const Caption& caption : panelCaptions())
        texts.push_back(caption.text);
    for (const char* expected :
         {"LOW", "MID", "HIGH", "THRESHOLD", "GAIN", "LIMITER GAIN", "OUTPUT GAIN", "ATTACK",
          "RELEASE", "ENV", "FFT", "ACT", "PAUSE", "LEVEL", "TIME", "REDUC", "PEAK"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
}

// The editions that carry the ceiling draw it over the background, in the utility section's
// empty area: a frame rim of one pixel around each box must stay clear of the bypass button
// above, of the groove below, and of every other control.
TEST(PanelLayout, FitsTheCeilingBetweenTheBypassButtonAndTheGroove)
{
    const Box utility = panelSections()[3];
    const Box bypass = controlBox(findControlRow(kParamBypass));
    const std::vector<Box> ceiling = ceilingBoxes();
    std::vector<Box> others = occupiedBoxes();
    others.resize(others.size() - ceiling.size()); // the ceiling's own boxes come last
    for (const Box& box : ceiling)
    {
        const Box framed = box.inset(-1);
        EXPECT_TRUE(utility.inset(3).contains(framed)) << describe(box);
        EXPECT_GT(framed.top, bypass.bottom) << describe(box);
        EXPECT_LE(framed.bottom, bypassResetGrooveY()) << describe(box);
        for (const Box& other : others)
            EXPECT_FALSE(framed.intersects(other)) << describe(box) << " meets " << describe(other);
    }
}

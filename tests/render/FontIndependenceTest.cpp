// The panel's text comes from the fonts built into the binary: the snapshot is the same
// whatever fonts the machine offers through fontconfig, and also when it offers none.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace
{
std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A fontconfig setup in the scratch folder: the fonts of these folders only, and "Arial"
// and "Symbol" bound to the families given (none binds nothing).
std::string fontConfiguration(const ScratchFolder& scratch, const std::string& name,
                              const std::string& folders, const char* arial, const char* symbol)
{
    const std::string path = scratch.path(name + ".conf");
    std::ofstream file(path);
    file << "<?xml version=\"1.0\"?>\n<fontconfig>\n"
         << folders << "<cachedir>" << scratch.path(name + "-cache") << "</cachedir>\n";
    if (arial != nullptr)
        file << "<alias binding=\"strong\"><family>Arial</family><prefer><family>" << arial
             << "</family></prefer></alias>\n"
             << "<alias binding=\"strong\"><family>Symbol</family><prefer><family>" << symbol
             << "</family></prefer></alias>\n";
    file << "</fontconfig>\n";
    return path;
}

// The panel after the sound, drawn with FONTCONFIG_FILE set to configuration (or unset).
std::string snapshot(const ScratchFolder& scratch, const std::string& name,
                     const std::string& configuration)
{
    if (configuration.empty())
        unsetenv("FONTCONFIG_FILE");
    else
        setenv("FONTCONFIG_FILE", configuration.c_str(), 1);
    const RunResult result =
        scratch.run({"in.wav", name + ".wav", "--snapshot", name + ".png", "--view", "spectrum"});
    unsetenv("FONTCONFIG_FILE");
    EXPECT_EQ(result.status, 0) << result.err;
    return fileBytes(scratch.path(name + ".png"));
}
} // namespace

TEST(FontIndependence, ThePanelIsTheSameWithOtherFontsOrNone)
{
    ScratchFolder scratch;
    writeSound(scratch.path("in.wav"), sineSound(44100, 2, 11025, 440.0, 0.9));
    const std::string usual = snapshot(scratch, "usual", "");
    ASSERT_FALSE(usual.empty());
    // Debian's URW and DejaVu fonts stand in for Arial and Symbol on many desktops.
    const std::string others = fontConfiguration(scratch, "others",
                                                 "<dir>/usr/share/fonts/opentype/urw-base35</dir>\n"
                                                 "<dir>/usr/share/fonts/truetype/dejavu</dir>\n",
                                                 "Nimbus Sans", "Standard Symbols PS");
    const std::string none = fontConfiguration(scratch, "none", "", nullptr, nullptr);
    EXPECT_TRUE(snapshot(scratch, "others", others) == usual);
    EXPECT_TRUE(snapshot(scratch, "none", none) == usual);
}

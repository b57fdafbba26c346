// The manual the information button opens: present, self-contained, and naming every
// control the host sees and every program.
#include "CommittedFiles.h"

#include "engine/ControlTable.h"
#include "engine/FactoryPresets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>

namespace
{
std::string manual()
{
    return readText(repositoryFile("documents/index.htm"));
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}
} // namespace

TEST(UserManual, IsACompleteHtmlDocumentWithItsOwnStyleSheet)
{
    const std::string text = lowered(manual());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("<!doctype html>", 0), 0u);
    EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(text.find("<style>"), std::string::npos);
    EXPECT_NE(text.find("</html>"), std::string::npos);
}

TEST(UserManual, LoadsNothingFromOutside)
{
    const std::string text = lowered(manual());
    for (const char* reference : {"src=", "<link", "@import", "url(", "<script", "http:", "https:"})
        EXPECT_EQ(text.find(reference), std::string::npos) << reference;
    // Links stay inside the page.
    const std::regex link(R"re(href\s*=\s*"([^"]*)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link);
         it != std::sregex_iterator(); ++it)
        EXPECT_EQ((*it)[1].str().rfind('#', 0), 0u) << (*it)[1].str();
}

TEST(UserManual, NamesEveryControlTheHostSees)
{
    const std::string text = manual();
    // The host shows names for parameters 13 to 27 (bypass to Sens).
    for (int index = kParamBypass; index < kNumParameters; ++index)
    {
        const char* name = findControlRow(index).name;
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

TEST(UserManual, NamesTheFiveProgramsInOrder)
{
    const std::string text = manual();
    size_t previous = 0;
    for (const FactoryPreset& preset : kFactoryPresets)
    {
        const std::string quoted = std::string("<td>") + preset.name + "</td>";
        const size_t at = text.find(quoted);
        EXPECT_NE(at, std::string::npos) << preset.name;
        EXPECT_GE(at, previous) << preset.name;
        previous = at == std::string::npos ? previous : at;
    }
}

TEST(UserManual, ExplainsTheUnreportedDelayAndBothInstallations)
{
    const std::string text = manual();
    EXPECT_NE(text.find("15 samples"), std::string::npos);
    EXPECT_NE(text.find("VRN-07.so"), std::string::npos);
    EXPECT_NE(text.find("VRN-07.dll"), std::string::npos);
    EXPECT_NE(text.find("documents"), std::string::npos);
}

TEST(UserManual, BesideThePluginCarriesTheProjectVersionAndTheLicences)
{
    const std::string folder = VRN07_BUILT_DOCUMENTS;
    const std::string text = readText(folder + "/index.htm");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find(std::string("version ") + VRN07_VERSION + "</p>"), std::string::npos);
    EXPECT_NE(text.find(std::string("vrn07_") + VRN07_VERSION + "_amd64.deb"), std::string::npos);
    EXPECT_EQ(text.find('@'), std::string::npos) << "a placeholder was left unfilled";
    for (const char* licence : {"VRN-07.txt", "LiberationSans.txt", "DejaVuSans.txt"})
        EXPECT_EQ(readText(folder + "/licences/" + licence),
                  readText(repositoryFile(std::string("documents/licences/") + licence)))
            << licence;
}

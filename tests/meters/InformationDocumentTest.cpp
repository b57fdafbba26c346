// The information button's document: where it is looked for beside the module, and how
// its opener is started.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "editor/InformationDocument.h"
#include "gui/platform/DocumentOpener.h"

namespace
{
namespace fs = std::filesystem;

std::string documentOf(const std::string& modulePath, char separator = '/')
{
    return CInformationDocument::documentPath(modulePath, separator);
}

// True when this process has no child left, running or waiting to be reaped.
bool noChildLeft()
{
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// A fake opener: a script that appends its argument count and first argument to a log.
class Opener : public ::testing::Test
{
  protected:
    Opener() : folder(fs::temp_directory_path() / ("vrn07-opener-" + std::to_string(getpid())))
    {
        fs::create_directories(folder);
        std::ofstream(program) << "#!/bin/sh\nprintf '%s:%s\\n' \"$#\" \"$1\" >> \"$0.log\"\n";
        fs::permissions(program, fs::perms::owner_all);
    }
    ~Opener() override { fs::remove_all(folder); }

    void open(const std::string& modulePath)
    {
        CInformationDocument information(modulePath);
        information.setOpener(program.string());
        information.open();
    }
    // The log once a line names the document (the opener runs on its own); empty after 5 s.
    std::string logNaming(const std::string& document)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline)
        {
            std::stringstream text;
            text << std::ifstream(program.string() + ".log").rdbuf();
            if (text.str().find(":" + document + "\n") != std::string::npos)
            {
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    fs::path folder;
    fs::path program = folder / "opener";
};
} // namespace

TEST(InformationDocument, LiesInTheDocumentsFolderBesideTheModule)
{
    EXPECT_EQ(documentOf("C:\\Plugins\\effect.dll", '\\'), "C:\\Plugins\\documents\\index.htm");
    EXPECT_EQ(documentOf("/usr/lib/vst/VRN-07.so"), "/usr/lib/vst/documents/index.htm");
    // Without the platform's separator the document is appended behind the whole path.
    EXPECT_EQ(documentOf("effect.dll", '\\'), "effect.dlldocuments\\index.htm");
    EXPECT_EQ(documentOf("C:\\Plugins\\effect.dll"), "C:\\Plugins\\effect.dlldocuments/index.htm");
}

TEST(InformationDocument, IsNoneWhenItWouldNotFit255CharactersOrTheModuleIsUnknown)
{
    const std::string folder = "/" + std::string(255 - 19 - 2, 'f') + "/";
    EXPECT_EQ(documentOf(folder + "VRN-07.so").size(), 255u);
    EXPECT_EQ(documentOf("/g" + folder + "VRN-07.so"), "");
    // Only the folder counts: a long file name in a short folder still gives the document.
    EXPECT_EQ(documentOf("/vst/" + std::string(400, 'n')), "/vst/documents/index.htm");
    EXPECT_EQ(documentOf(""), "");
    EXPECT_EQ(documentOf(std::string("/vst/a\0b/x.so", 13)), "");
}

TEST(InformationDocument, TheCurrentModuleIsTheFileThisCodeWasLoadedFrom)
{
    const std::string path = platform::currentModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe")) << path;
}

TEST(InformationDocument, SpawningStartsAProgramAndLeavesNoChildBehind)
{
    ASSERT_TRUE(noChildLeft());
    EXPECT_TRUE(platform::spawnDetached("/bin/true", "anything"));
    EXPECT_TRUE(platform::spawnDetached("true", "anything")) << "found in PATH";
    EXPECT_FALSE(platform::spawnDetached("/nonexistent/opener", "anything"));
    EXPECT_FALSE(platform::spawnDetached("", "anything"));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(Opener, GetsTheDocumentPathAsItsOneArgumentWithoutAShell)
{
    const std::string odd = folder.string() + "/odd name; $(touch pwned) 'q' `x`";
    open(odd + "/VRN-07.so");
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(logNaming(odd + "/documents/index.htm"), "1:" + odd + "/documents/index.htm\n");
}

TEST_F(Opener, IsNotStartedForAModulePathTooLongForTheDocument)
{
    open(folder.string() + "/" + std::string(250, 'd') + "/VRN-07.so");
    // A valid opening after it marks when the first would have shown in the log too.
    open(folder.string() + "/VRN-07.so");
    const std::string document = folder.string() + "/documents/index.htm";
    EXPECT_EQ(logNaming(document), "1:" + document + "\n");
}

// A module in a folder shared with other makers' plug-ins (the CLAP folder) finds its manual in
// the product's folder beside it; one with documents beside it keeps them.
TEST_F(Opener, OpensTheProductFoldersManualWhereNoneLiesBesideTheModule)
{
    fs::create_directories(folder / "clap" / "VRN-07" / "documents");
    std::ofstream(folder / "clap" / "VRN-07" / "documents" / "index.htm") << "manual";
    open((folder / "clap" / "VRN-07.clap").string());
    const std::string inProductFolder = (folder / "clap/VRN-07/documents/index.htm").string();
    EXPECT_EQ(logNaming(inProductFolder), "1:" + inProductFolder + "\n");

    fs::create_directories(folder / "clap" / "documents");
    std::ofstream(folder / "clap" / "documents" / "index.htm") << "manual";
    open((folder / "clap" / "VRN-07.clap").string());
    const std::string beside = (folder / "clap/documents/index.htm").string();
    EXPECT_NE(logNaming(beside), "");
}

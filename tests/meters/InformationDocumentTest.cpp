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

namespace
{
namespace fs = std::filesystem;

// True when this process has no child left, running or waiting to be reaped.
bool noChildLeft()
{
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// A fake opener: a script that appends its argument count and first argument to a log.
class FakeOpener : public ::testing::Test
{
  protected:
    FakeOpener() : folder(fs::temp_directory_path() / ("vrn07-opener-" + std::to_string(getpid())))
    {
        fs::create_directories(folder);
        program = folder / "opener";
        log = folder / "opener.log";
        std::ofstream(program) << "#!/bin/sh\nprintf '%s:%s\\n' \"$#\" \"$1\" >> \"$0.log\"\n";
        fs::permissions(program, fs::perms::owner_all);
    }
    ~FakeOpener() override { fs::remove_all(folder); }

    // The log once it holds a line ending in the document's path; empty after 5 s.
    std::string waitForLog(const std::string& document)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline)
        {
            std::ifstream in(log);
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find(":" + document + "\n") != std::string::npos)
            {
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    fs::path folder;
    fs::path program;
    fs::path log;
};
} // namespace

TEST(InformationDocument, LiesInTheDocumentsFolderBesideTheModule)
{
    EXPECT_EQ(CInformationDocument::documentPath("C:\\Plugins\\effect.dll", '\\'),
              "C:\\Plugins\\documents\\index.htm");
    EXPECT_EQ(CInformationDocument::documentPath("/usr/lib/vst/VRN-07.so", '/'),
              "/usr/lib/vst/documents/index.htm");
    EXPECT_EQ(CInformationDocument::documentPath("/VRN-07.so", '/'), "/documents/index.htm");
}

TEST(InformationDocument, AModulePathWithoutTheSeparatorGetsTheDocumentAppended)
{
    EXPECT_EQ(CInformationDocument::documentPath("effect.dll", '\\'),
              "effect.dlldocuments\\index.htm");
    // Only the platform's own separator counts.
    EXPECT_EQ(CInformationDocument::documentPath("C:\\Plugins\\effect.dll", '/'),
              "C:\\Plugins\\effect.dlldocuments/index.htm");
}

TEST(InformationDocument, IsNoneWhenThePathWouldNotFit255Characters)
{
    const std::string document = "documents/index.htm";
    const std::string folder = "/" + std::string(255 - document.size() - 2, 'f') + "/";
    ASSERT_EQ(folder.size() + document.size(), 255u);
    EXPECT_EQ(CInformationDocument::documentPath(folder + "VRN-07.so", '/'), folder + document);
    const std::string longer = "/g" + folder;
    EXPECT_EQ(CInformationDocument::documentPath(longer + "VRN-07.so", '/'), "");
    // Only the folder counts: a long file name in a short folder still gives the document.
    EXPECT_EQ(CInformationDocument::documentPath("/vst/" + std::string(400, 'n'), '/'),
              "/vst/documents/index.htm");
}

TEST(InformationDocument, IsNoneForAnEmptyModulePathOrOneWithANul)
{
    EXPECT_EQ(CInformationDocument::documentPath("", '/'), "");
    EXPECT_EQ(CInformationDocument::documentPath(std::string("/vst/a\0b/x.so", 13), '/'), "");
}

TEST(InformationDocument, TheCurrentModuleIsTheFileThisCodeWasLoadedFrom)
{
    const std::string path = CInformationDocument::currentModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe")) << path;
}

TEST(InformationDocumentSpawn, StartsAProgramAndLeavesNoChildBehind)
{
    ASSERT_TRUE(noChildLeft());
    EXPECT_TRUE(CInformationDocument::spawnDetached("/bin/true", "anything"));
    EXPECT_TRUE(noChildLeft());
    // Looked up in PATH when the name has no '/'.
    EXPECT_TRUE(CInformationDocument::spawnDetached("true", "anything"));
    EXPECT_TRUE(noChildLeft());
}

TEST(InformationDocumentSpawn, AMissingProgramFailsAndLeavesNoChildBehind)
{
    EXPECT_FALSE(CInformationDocument::spawnDetached("/nonexistent/opener", "x"));
    EXPECT_FALSE(CInformationDocument::spawnDetached("", "x"));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(FakeOpener, OpeningHandsTheDocumentPathToTheOpenerAsOneArgumentWithoutAShell)
{
    const std::string module = folder.string() + "/odd name; $(touch pwned) 'q' `x`/VRN-07.so";
    const std::string document =
        folder.string() + "/odd name; $(touch pwned) 'q' `x`/documents/index.htm";
    CInformationDocument information(module);
    information.setOpener(program.string());
    information.open();
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(waitForLog(document), "1:" + document + "\n");
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(FakeOpener, AModulePathTooLongForTheDocumentOpensNothing)
{
    const std::string longFolder = folder.string() + "/" + std::string(250, 'd');
    CInformationDocument tooLong(longFolder + "/VRN-07.so");
    tooLong.setOpener(program.string());
    tooLong.open();
    // A second, valid opening marks when the first one would have shown in the log too.
    CInformationDocument valid(folder.string() + "/VRN-07.so");
    valid.setOpener(program.string());
    valid.open();
    const std::string document = folder.string() + "/documents/index.htm";
    EXPECT_EQ(waitForLog(document), "1:" + document + "\n");
}

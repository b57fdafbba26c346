// Parameter 2 opens the user manual while the editor is open. Hosts automate it on any
// thread, so the write only records the request; the editor opens the document on its own
// thread, at most once a second.
#include "tests/editor/EditorFixture.h"

#include "editor/InformationDocument.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

class InformationRequest : public HeadlessEditor
{
  protected:
    void SetUp() override
    {
        HeadlessEditor::SetUp();
        fs::create_directories(folder_);
        std::ofstream(opener_) << "#!/bin/sh\necho opened >> \"$0.log\"\n";
        fs::permissions(opener_, fs::perms::owner_all);
    }
    void TearDown() override
    {
        HeadlessEditor::TearDown();
        fs::remove_all(folder_);
    }
    bool openWithFakeOpener()
    {
        if (!open())
            return false;
        editor().informationDocument().setOpener(opener_.string());
        return true;
    }
    // The number of times the opener ran, once it has run `expected` times or after 5 s.
    int openings(int expected)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int lines = 0;
        do
        {
            std::ifstream log(opener_.string() + ".log");
            std::string line;
            lines = 0;
            while (std::getline(log, line))
                ++lines;
            if (lines >= expected)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return lines;
    }

    fs::path folder_ = fs::temp_directory_path() / ("vrn07-request-" + std::to_string(getpid()));
    fs::path opener_ = folder_ / "opener";
};
} // namespace

TEST_F(InformationRequest, AWriteOnAnyThreadOnlyRecordsTheRequest)
{
    ASSERT_TRUE(openWithFakeOpener());
    std::thread automation(
        [this]
        {
            for (int i = 0; i < 50; ++i)
                plugin_->setParameter(kParamInfoDocument, 1.0f);
        });
    automation.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(openings(0), 0);

    idle();
    EXPECT_EQ(openings(1), 1);
}

TEST_F(InformationRequest, OpensAtMostOnceASecondHoweverManyWritesArrive)
{
    ASSERT_TRUE(openWithFakeOpener());
    for (int round = 0; round < 5; ++round)
    {
        plugin_->setParameter(kParamInfoDocument, 1.0f);
        idle();
    }
    EXPECT_EQ(openings(1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    plugin_->setParameter(kParamInfoDocument, 1.0f);
    editor().tick();
    EXPECT_EQ(openings(2), 2);
}

TEST_F(InformationRequest, IsIgnoredWhileTheEditorIsClosedAndForAZeroWrite)
{
    ASSERT_TRUE(openWithFakeOpener());
    plugin_->setParameter(kParamInfoDocument, 0.0f);
    idle();
    close();
    plugin_->setParameter(kParamInfoDocument, 1.0f);
    ASSERT_TRUE(open());
    editor().informationDocument().setOpener(opener_.string());
    idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(openings(0), 0);
}

// A render ended by SIGINT, SIGTERM or SIGHUP removes its hidden temporary files, leaves the
// file at the output path as it was and exits with 128 + the signal.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace
{
// Two minutes of audio take the renderer seconds, far longer than the test waits for the
// first written block.
constexpr long long kLongFrames = 120 * 44100;
const std::string kPreviousTake = "the previous take";

// Waits until count temporary files whose names start with prefix hold data in folder;
// false when they do not appear in time.
bool waitForWrittenTemporaries(const fs::path& folder, const std::string& prefix, int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline)
    {
        int written = 0;
        std::error_code missing;
        for (const auto& entry : fs::directory_iterator(folder, missing))
        {
            std::error_code vanished;
            if (entry.path().filename().string().starts_with(prefix) &&
                fs::file_size(entry.path(), vanished) > 0)
                ++written;
        }
        if (written >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// Ends a running render with signal once count temporary files hold data; false when it was
// not caught writing them.
bool interruptWhileWriting(pid_t render, int signal, const fs::path& folder,
                           const std::string& prefix, int count, int& status)
{
    const bool writing = waitForWrittenTemporaries(folder, prefix, count);
    const bool stillRunning = waitpid(render, &status, WNOHANG) == 0;
    if (stillRunning)
    {
        kill(render, signal);
        waitpid(render, &status, 0);
    }
    return writing && stillRunning;
}

class RenderInterrupt : public ::testing::TestWithParam<int>
{
  protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<ScratchFolder>();
        writeSound(folder_->path("long.wav"), sineSound(44100, 2, kLongFrames, 440.0, 0.5));
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static inline std::unique_ptr<ScratchFolder> folder_;
};
} // namespace

TEST_P(RenderInterrupt, RemovesItsTemporaryFileAndExitsWith128PlusTheSignal)
{
    const int signal = GetParam();
    writeBytes(folder_->path("out.wav"), kPreviousTake);
    const pid_t render = folder_->start({"long.wav", "out.wav"});
    ASSERT_GT(render, 0);

    int status = 0;
    ASSERT_TRUE(interruptWhileWriting(render, signal, folder_->work(), ".out.wav.", 1, status))
        << "the render was not caught while writing";

    EXPECT_EQ(folder_->contents(), (std::vector<std::string>{"long.wav", "out.wav"}));
    EXPECT_EQ(fileBytes(folder_->path("out.wav")), kPreviousTake);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
}

INSTANTIATE_TEST_SUITE_P(EachSignal, RenderInterrupt, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return std::string(sigabbrev_np(info.param)); });

TEST(RenderInterruptBatch, RemovesTheTemporaryFilesOfEveryWorker)
{
    ScratchFolder folder;
    const std::vector<std::string> names = {"one.wav", "two.wav", "three.wav"};
    for (const std::string& name : names)
        writeSound(folder.path(name), sineSound(44100, 2, kLongFrames / 2, 440.0, 0.5));
    std::vector<std::string> arguments = names;
    arguments.insert(arguments.end(), {"--out-dir", "out", "--ceiling", "-1", "--jobs", "3"});
    const pid_t render = folder.start(arguments);
    ASSERT_GT(render, 0);

    int status = 0;
    ASSERT_TRUE(interruptWhileWriting(render, SIGTERM, folder.work() / "out", ".", 3, status))
        << "the batch was not caught while its three workers wrote";

    EXPECT_EQ(folder.contents(),
              (std::vector<std::string>{"one.wav", "out", "three.wav", "two.wav"}));
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
}

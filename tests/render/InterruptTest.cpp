// A render ended by SIGINT, SIGTERM or SIGHUP removes its hidden temporary file, leaves the
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

// Waits until the render's temporary file holds data; false when none appears in time.
bool waitForWrittenTemporary(const ScratchFolder& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline)
    {
        for (const auto& entry : fs::directory_iterator(folder.work()))
        {
            std::error_code vanished;
            if (entry.path().filename().string().starts_with(".out.wav.") &&
                fs::file_size(entry.path(), vanished) > 0)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
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

    const bool writing = waitForWrittenTemporary(*folder_);
    int status = 0;
    const bool stillRunning = waitpid(render, &status, WNOHANG) == 0;
    if (stillRunning)
    {
        kill(render, signal);
        waitpid(render, &status, 0);
    }
    ASSERT_TRUE(writing && stillRunning) << "the render was not caught while writing";

    EXPECT_EQ(folder_->contents(), (std::vector<std::string>{"long.wav", "out.wav"}));
    EXPECT_EQ(fileBytes(folder_->path("out.wav")), kPreviousTake);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
}

INSTANTIATE_TEST_SUITE_P(EachSignal, RenderInterrupt, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return std::string(sigabbrev_np(info.param)); });

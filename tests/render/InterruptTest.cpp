// A render ended by a signal removes its hidden temporary files, leaves the file at the output
// path as it was and ends with 128 + the signal: by exit after SIGINT, SIGTERM or SIGHUP, killed
// by the signal after any other. A signal ignored when it started stays ignored.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
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

// Whether a process that keeps the signal's default action is ended by it.
bool endsAProcessByDefault(int signal)
{
    const pid_t child = fork();
    if (child == 0)
    {
        const rlimit noCoreFile{0, 0};
        setrlimit(RLIMIT_CORE, &noCoreFile);
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        sigprocmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, WUNTRACED);
    if (WIFSTOPPED(status))
    {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return false;
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
}

// The signals a user, a parent or a resource limit ends a render with: every signal whose
// default action ends a process, but SIGKILL and the faults of the program itself.
std::vector<int> endingSignals()
{
    const int faultsOrUncatchable[] = {SIGKILL, SIGSEGV, SIGBUS,  SIGFPE,
                                       SIGILL,  SIGABRT, SIGTRAP, SIGSYS};
    std::vector<int> signals;
    for (int signal = 1; signal <= SIGRTMAX; ++signal)
        if (std::find(std::begin(faultsOrUncatchable), std::end(faultsOrUncatchable), signal) ==
                std::end(faultsOrUncatchable) &&
            endsAProcessByDefault(signal))
            signals.push_back(signal);
    return signals;
}

std::string signalName(int signal)
{
    const char* name = sigabbrev_np(signal);
    return name ? name : "RT" + std::to_string(signal);
}

class RenderInterrupt : public ::testing::Test
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

TEST_F(RenderInterrupt, RemovesItsTemporaryFileAndEndsWith128PlusEachEndingSignal)
{
    const std::vector<int> signals = endingSignals();
    ASSERT_GT(signals.size(), 3u) << "none found besides SIGINT, SIGTERM and SIGHUP";
    for (int signal : signals)
    {
        SCOPED_TRACE(signalName(signal));
        writeBytes(folder_->path("out.wav"), kPreviousTake);
        const pid_t render = folder_->start({"long.wav", "out.wav"});
        ASSERT_GT(render, 0);

        int status = 0;
        ASSERT_TRUE(interruptWhileWriting(render, signal, folder_->work(), ".out.wav.", 1, status))
            << "the render was not caught while writing";

        EXPECT_EQ(folder_->contents(), (std::vector<std::string>{"long.wav", "out.wav"}));
        EXPECT_EQ(fileBytes(folder_->path("out.wav")), kPreviousTake);
        if (signal == SIGINT || signal == SIGTERM || signal == SIGHUP)
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal);
        else
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    }
}

TEST_F(RenderInterrupt, KeepsASignalIgnoredWhenItStarted)
{
    const pid_t render = folder_->start({"long.wav", "kept.wav"}, SIGPIPE);
    ASSERT_GT(render, 0);

    int status = 0;
    ASSERT_TRUE(interruptWhileWriting(render, SIGPIPE, folder_->work(), ".kept.wav.", 1, status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readSound(folder_->path("kept.wav")).frames(), kLongFrames);
    std::filesystem::remove(folder_->path("kept.wav"));
}

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

#include "tools/render/SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
// A batch writes one output per worker at once (kMaxJobs at most), and the report.
constexpr int kMaxTemporaryFiles = 72;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int
{
    kFree,
    kTaken, // its path is being written
    kLive   // its path names a file to remove
};

struct TemporaryFileSlot
{
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the states");

TemporaryFileSlot slots[kMaxTemporaryFiles];
// Threads creating a temporary file right now, and whether the handler has begun: the handler
// waits for the creations under way (which hold the signals back in their own thread, so the
// handler never runs inside one), and creations that start after it create nothing.
std::atomic<int> creating{0};
std::atomic<bool> exiting{false};

extern "C" void removeTemporaryFilesAndExit(int signal)
{
    exiting.store(true);
    while (creating.load() != 0)
    {
    }
    for (TemporaryFileSlot& slot : slots)
        if (slot.state.load() == kLive)
            unlink(slot.path);
    _exit(128 + signal);
}

sigset_t cleanedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kCleanedSignals)
        sigaddset(&set, signal);
    return set;
}

// Takes a free slot for this thread; -1 when every slot is taken.
int takeSlot()
{
    for (int slot = 0; slot < kMaxTemporaryFiles; ++slot)
    {
        int expected = kFree;
        if (slots[slot].state.compare_exchange_strong(expected, kTaken))
            return slot;
    }
    return -1;
}

// Holds the cleaned signals back in this thread for its lifetime, so that the handler never
// interrupts a creation in the thread that makes it.
class SignalsHeld
{
  public:
    SignalsHeld()
    {
        const sigset_t held = cleanedSignals();
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

// Counts a creation under way for its lifetime.
class CreationUnderWay
{
  public:
    CreationUnderWay() { creating.fetch_add(1); }
    ~CreationUnderWay() { creating.fetch_sub(1); }

    CreationUnderWay(const CreationUnderWay&) = delete;
    CreationUnderWay& operator=(const CreationUnderWay&) = delete;
};

int createInSlot(int slot, std::string& pattern)
{
    char* path = slots[slot].path;
    std::memcpy(path, pattern.c_str(), pattern.size() + 1);
    const int descriptor = mkstemp(path);
    if (descriptor < 0)
    {
        const int error = errno;
        slots[slot].state.store(kFree);
        errno = error;
        return -1;
    }
    close(descriptor);
    slots[slot].state.store(kLive);
    pattern = path;
    return slot;
}
} // namespace

void installSignalCleanup()
{
    struct sigaction action
    {
    };
    action.sa_handler = removeTemporaryFilesAndExit;
    // A second signal waits while the handler removes the files.
    action.sa_mask = cleanedSignals();
    for (int signal : kCleanedSignals)
    {
        struct sigaction previous
        {
        };
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

int createTemporaryFile(std::string& pattern)
{
    const SignalsHeld held;
    const CreationUnderWay underWay;
    if (exiting.load())
    {
        errno = EINTR;
        return -1;
    }
    if (pattern.size() >= sizeof(slots[0].path))
    {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int slot = takeSlot();
    if (slot < 0)
    {
        errno = EMFILE;
        return -1;
    }
    return createInSlot(slot, pattern);
}

void forgetTemporaryFile(int slot)
{
    if (slot >= 0 && slot < kMaxTemporaryFiles)
        slots[slot].state.store(kFree);
}

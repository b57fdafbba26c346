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
// The render writes at most three files at once: the demo input, the output, the snapshot.
constexpr int kMaxTemporaryFiles = 4;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct TemporaryFileSlot
{
    std::atomic<bool> inUse{false};
    char path[PATH_MAX];
};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flags");

TemporaryFileSlot slots[kMaxTemporaryFiles];

extern "C" void removeTemporaryFilesAndExit(int signal)
{
    for (TemporaryFileSlot& slot : slots)
        if (slot.inUse.load())
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

int freeSlot()
{
    for (int slot = 0; slot < kMaxTemporaryFiles; ++slot)
        if (!slots[slot].inUse.load())
            return slot;
    return -1;
}

// Holds the cleaned signals back for its lifetime, so that a file is never created
// without its name being known to the handler.
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
    const int slot = freeSlot();
    if (slot < 0 || pattern.size() >= sizeof(slots[0].path))
    {
        errno = slot < 0 ? EMFILE : ENAMETOOLONG;
        return -1;
    }
    char* path = slots[slot].path;
    std::memcpy(path, pattern.c_str(), pattern.size() + 1);
    const int descriptor = mkstemp(path);
    if (descriptor < 0)
        return -1;
    close(descriptor);
    slots[slot].inUse.store(true);
    pattern = path;
    return slot;
}

void forgetTemporaryFile(int slot)
{
    if (slot >= 0 && slot < kMaxTemporaryFiles)
        slots[slot].inUse.store(false);
}

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
// The signals that end the process by default and come from outside it: the user, a parent, a
// resource limit (SIGXCPU, SIGXFSZ), a reader that went away (SIGPIPE), a timer; the real-time
// signals besides. Faults of the program itself (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT,
// SIGTRAP, SIGSYS) keep their default action, for debuggers and sanitizers.
constexpr int kNamedCleanedSignals[] = {SIGHUP,    SIGINT,  SIGQUIT, SIGPIPE,   SIGALRM,
                                        SIGTERM,   SIGUSR1, SIGUSR2, SIGIO,     SIGPROF,
                                        SIGVTALRM, SIGXCPU, SIGXFSZ, SIGSTKFLT, SIGPWR};
// Ended by one of these the renderer has always exited with 128 + the signal, which scripts may
// test; ended by any other it dies of the signal, as it would without the handler.
constexpr int kSignalsEndedByExit[] = {SIGINT, SIGTERM, SIGHUP};

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

bool endsByExit(int signal)
{
    for (int byExit : kSignalsEndedByExit)
        if (signal == byExit)
            return true;
    return false;
}

// Ends the process with 128 + the signal, by exit or by the signal's own default action.
[[noreturn]] void endBy(int signal)
{
    if (!endsByExit(signal))
    {
        struct sigaction byDefault
        {
        };
        byDefault.sa_handler = SIG_DFL;
        sigaction(signal, &byDefault, nullptr);
        // Blocked while its handler runs, the raised signal waits for the unblocking.
        raise(signal);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        sigprocmask(SIG_UNBLOCK, &only, nullptr);
    }
    _exit(128 + signal);
}

extern "C" void removeTemporaryFilesAndEnd(int signal)
{
    exiting.store(true);
    while (creating.load() != 0)
    {
    }
    for (TemporaryFileSlot& slot : slots)
        if (slot.state.load() == kLive)
            unlink(slot.path);
    endBy(signal);
}

sigset_t cleanedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kNamedCleanedSignals)
        sigaddset(&set, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
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
    action.sa_handler = removeTemporaryFilesAndEnd;
    // A second signal waits while the handler removes the files.
    action.sa_mask = cleanedSignals();
    for (int signal = 1; signal < NSIG; ++signal)
    {
        struct sigaction previous
        {
        };
        if (sigismember(&action.sa_mask, signal) == 1 &&
            sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
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

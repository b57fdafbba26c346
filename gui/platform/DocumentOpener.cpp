#include "gui/platform/DocumentOpener.h"

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>

#include "gui/platform/ModuleHandle.h"
#else
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace platform
{
#if defined(_WIN32)

namespace
{
constexpr DWORD kModulePathBytes = MAX_PATH;
}

std::string currentModulePath()
{
    void* module = moduleHandle();
    if (module == nullptr)
    {
        // A null handle would name the host's program instead.
        return {};
    }
    char path[kModulePathBytes];
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, kModulePathBytes);
    // A full buffer means the name was cut short.
    if (length == 0 || length >= kModulePathBytes)
    {
        return {};
    }
    return std::string(path, length);
}

void openDocument(const std::string& path, const std::string&)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = 0;
    info.hwnd = nullptr;
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.lpParameters = "";
    info.lpDirectory = "";
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

#else

namespace
{
// Any function of this module will do: the loader knows which file holds it.
void moduleMarker() {}
} // namespace

std::string currentModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleMarker), &info) == 0 || info.dli_fname == nullptr)
    {
        return {};
    }
    return info.dli_fname;
}

void openDocument(const std::string& path, const std::string& opener)
{
    spawnDetached(opener, path);
}

bool spawnDetached(const std::string& program, const std::string& argument)
{
    if (program.empty())
    {
        return false;
    }
    // Everything is prepared before the fork: the intermediate process, a copy of one
    // thread of a possibly busy host, runs nothing but posix_spawnp and _exit.
    std::string programCopy = program;
    std::string argumentCopy = argument;
    char* arguments[] = {programCopy.data(), argumentCopy.data(), nullptr};

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The host may block or ignore signals (an ignored SIGCHLD breaks a shell script's
    // waiting); the opener starts with the defaults, apart from the host's session.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    // Keep the host's files (audio devices, sockets, its input) away from the opener.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);

    const pid_t intermediate = fork();
    if (intermediate == 0)
    {
        pid_t opener = 0;
        const int failed =
            posix_spawnp(&opener, programCopy.c_str(), &files, &attributes, arguments, environ);
        _exit(failed == 0 ? 0 : 1);
    }
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (intermediate < 0)
    {
        return false;
    }
    // The intermediate exits as soon as the opener has started; the opener itself becomes
    // the child of the system's reaper.
    int status = 0;
    while (waitpid(intermediate, &status, 0) < 0)
    {
        if (errno != EINTR)
        {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#endif

} // namespace platform

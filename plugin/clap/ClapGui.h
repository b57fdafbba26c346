// The CLAP edition's editor: the same editor as the other editions', embedded in the host's
// window (X11 or Win32) at its one size. It reads what the instance publishes, takes the
// host's changes at its 25 ms tick, and hands the user's changes and gestures to the instance,
// which reports them to the host. The tick comes from the host's timer, or, on Linux, from a
// timer file descriptor the host watches when it has no timers.
#pragma once

#include "editor/EditorHost.h"
#include "gui/CallDepth.h"
#include "plugin/clap/ClapInterface.h"

#include <cstdint>
#include <memory>

class ClapPlugin;
class SDEditor;

class ClapGui : public EditorHost
{
  public:
#if defined(_WIN32)
    static constexpr const char* kWindowApi = kClapWindowApiWin32;
#else
    static constexpr const char* kWindowApi = kClapWindowApiX11;
#endif

    explicit ClapGui(ClapPlugin& plugin);
    ~ClapGui() override;
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    // Embedded windows of this platform's window system only.
    static bool supports(const char* api, bool floating);

    // Opens the editor in the host's window and starts its tick; false when it cannot.
    bool setParent(const clap_window_t* window);
    // Stops the tick and closes the editor; the host is not called again.
    void close();
    bool size(uint32_t& width, uint32_t& height) const;
    void onTimer(clap_id timer);
    void onFd(int fd);
    // The tick's work: what the host changed, then the editor's idle. The host's timer, the
    // watched timer descriptor or, on Windows without the host's timers, a timer of the
    // editor's window calls it.
    void idle();
    // The host's calls running on the editor: a host may destroy it from inside one.
    CallDepth& hostCalls()
    {
        return hostCalls_;
    }
    SDEditor& editor()
    {
        return *editor_;
    }

    // What the editor asks of its host.
    float getParameter(int32_t index) override;
    void setParameterAutomated(int32_t index, float value) override;
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    bool carriesCeiling() const override
    {
        return true;
    }
    void retain() override;
    void release() override;

  private:
    void followHostChanges();
    void resetToDefaults();
    void startTick();
    void stopTick();

    ClapPlugin& plugin_;
    std::unique_ptr<SDEditor> editor_;
    CallDepth hostCalls_;
    const clap_host_timer_support_t* timers_ = nullptr;
    const clap_host_posix_fd_support_t* fds_ = nullptr;
    clap_id timer_ = kClapInvalidId;
    int tickFd_ = -1;
    void* tickWindow_ = nullptr;
    bool open_ = false;
};

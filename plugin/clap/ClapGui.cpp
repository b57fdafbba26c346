#include "plugin/clap/ClapGui.h"

#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "plugin/clap/ClapPlugin.h"

#include <cstring>
#include <utility>

#if defined(_WIN32)
#include "gui/CFrame.h"

#include <windows.h>
#else
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace
{
// The editor's tick, which also polls its window's events.
constexpr uint32_t kTickMs = 25;
// CLAP hosts have no knob mode of their own: the knobs follow straight mouse moves.
constexpr int32_t kLinearKnobMode = 2;

#if defined(_WIN32)
void CALLBACK tickFromWindow(HWND, UINT, UINT_PTR gui, DWORD)
{
    reinterpret_cast<ClapGui*>(gui)->idle();
}
#endif

template <class Host> const Host* hostExtension(const clap_host_t* host, const char* id)
{
    if (!host || !host->get_extension)
        return nullptr;
    return static_cast<const Host*>(host->get_extension(host, id));
}
} // namespace

ClapGui::ClapGui(ClapPlugin& plugin)
    : plugin_(plugin), editor_(std::make_unique<SDEditor>(this, &plugin.published()))
{
    editor_->setKnobMode(kLinearKnobMode);
    timers_ = hostExtension<clap_host_timer_support_t>(plugin.host(), kClapExtTimerSupport);
#if !defined(_WIN32)
    fds_ = hostExtension<clap_host_posix_fd_support_t>(plugin.host(), kClapExtPosixFdSupport);
#endif
}

ClapGui::~ClapGui()
{
    close();
}

bool ClapGui::supports(const char* api, bool floating)
{
    return api && !floating && std::strcmp(api, kWindowApi) == 0;
}

bool ClapGui::setParent(const clap_window_t* window)
{
    if (open_ || !window || !supports(window->api, false))
        return false;
#if defined(_WIN32)
    void* parent = window->win32;
#else
    void* parent = reinterpret_cast<void*>(window->x11);
#endif
    if (!parent || !editor_->open(parent))
        return false;
    open_ = true;
    startTick();
    return true;
}

// A gesture running when the editor goes ends with it.
void ClapGui::close()
{
    stopTick();
    editor_->close();
    if (!std::exchange(open_, false))
        return;
    for (int index = 0; index < CParameterValues::kCount; ++index)
        plugin_.editorChanges().gestureEnds(index);
    plugin_.requestFlush();
}

bool ClapGui::size(uint32_t& width, uint32_t& height) const
{
    EditorRect* rect = nullptr;
    if (!editor_->getRect(&rect) || !rect)
        return false;
    width = uint32_t(rect->right - rect->left);
    height = uint32_t(rect->bottom - rect->top);
    return true;
}

void ClapGui::onTimer(clap_id timer)
{
    if (timer == timer_)
        idle();
}

void ClapGui::onFd(int fd)
{
#if !defined(_WIN32)
    if (fd != tickFd_)
        return;
    uint64_t expirations = 0;
    if (read(fd, &expirations, sizeof expirations) < 0)
        return;
    idle();
#else
    (void)fd;
#endif
}

void ClapGui::idle()
{
    if (!open_)
        return;
    followHostChanges();
    editor_->idle();
}

// What the host changed (automation, its own controls, a restored state) since the last tick.
void ClapGui::followHostChanges()
{
    const uint32_t changed = plugin_.takeHostChanges();
    for (int index = 0; index < CParameterValues::kCount; ++index)
        if (changed & (1u << index))
            editor_->setParameter(index, float(plugin_.values().normalized(index)));
}

void ClapGui::startTick()
{
    const clap_host_t* host = plugin_.host();
    if (timers_ && timers_->register_timer && timers_->register_timer(host, kTickMs, &timer_))
        return;
    timer_ = kClapInvalidId;
#if defined(_WIN32)
    auto* window = static_cast<HWND>(editor_->frame()->getWindow()->handle());
    if (SetTimer(window, reinterpret_cast<UINT_PTR>(this), kTickMs, &tickFromWindow) != 0)
        tickWindow_ = window;
#else
    if (!fds_ || !fds_->register_fd)
        return;
    tickFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const timespec period = {0, long(kTickMs) * 1000000L};
    const itimerspec every = {period, period};
    if (tickFd_ >= 0 && timerfd_settime(tickFd_, 0, &every, nullptr) == 0 &&
        fds_->register_fd(host, tickFd_, kClapPosixFdRead))
        return;
    if (tickFd_ >= 0)
        ::close(tickFd_);
    tickFd_ = -1;
#endif
}

void ClapGui::stopTick()
{
    const clap_host_t* host = plugin_.host();
    if (timer_ != kClapInvalidId && timers_ && timers_->unregister_timer)
        timers_->unregister_timer(host, timer_);
    timer_ = kClapInvalidId;
#if defined(_WIN32)
    if (void* window = std::exchange(tickWindow_, nullptr))
        KillTimer(static_cast<HWND>(window), reinterpret_cast<UINT_PTR>(this));
#else
    if (tickFd_ < 0)
        return;
    if (fds_ && fds_->unregister_fd)
        fds_->unregister_fd(host, tickFd_);
    ::close(tickFd_);
    tickFd_ = -1;
#endif
}

// ---------------------------------------------------------------------------- from the editor

float ClapGui::getParameter(int32_t index)
{
    return float(plugin_.values().normalized(index));
}

// As the other editions take their editor's changes: the settings to the instance (and so to
// the host), a reset, the manual.
void ClapGui::setParameterAutomated(int32_t index, float value)
{
    if (!open_ || !(value >= 0.0f && value <= 1.0f))
        return;
    if (index == kParamReset)
    {
        if (static_cast<int>(value + 0.1f) == 1)
            resetToDefaults();
        return;
    }
    if (index == kParamInfoDocument)
    {
        if (value != 0.0f)
            editor_->openInformationDocument();
        return;
    }
    if (!plugin_.values().storeNormalized(index, value))
        return;
    plugin_.editorChanges().changed(index);
    editor_->setParameter(index, value);
    plugin_.editorChanged();
}

void ClapGui::resetToDefaults()
{
    for (int index = kParamViewerTime; index < kNumParameters; ++index)
        if (CParameterValues::isSetting(index))
            setParameterAutomated(
                index, float(realToNormalized(parameterRecord(index).defaultValue, index)));
}

bool ClapGui::beginEdit(int32_t index)
{
    if (!open_)
        return false;
    plugin_.editorChanges().gestureBegins(index);
    plugin_.requestFlush();
    return true;
}

bool ClapGui::endEdit(int32_t index)
{
    if (!open_)
        return false;
    plugin_.editorChanges().gestureEnds(index);
    plugin_.requestFlush();
    return true;
}

void ClapGui::retain()
{
    plugin_.retain();
}

void ClapGui::release()
{
    plugin_.release();
}

#include "plugin/clap/ClapCallbacks.h"

#include "plugin/clap/ClapGui.h"
#include "plugin/clap/ClapParameters.h"
#include "plugin/clap/ClapPlugin.h"

#include <cstring>

namespace
{
// Keeps the instance for the length of a main-thread call.
class Hold
{
  public:
    explicit Hold(const clap_plugin_t* plugin) : instance_(ClapPlugin::of(plugin))
    {
        if (instance_)
            instance_->retain();
    }
    ~Hold()
    {
        if (instance_)
            instance_->release();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

    ClapPlugin* operator->() const { return instance_; }
    explicit operator bool() const { return instance_ != nullptr; }

  private:
    ClapPlugin* instance_;
};

// ---------------------------------------------------------------------------- the instance

bool CLAP_CALL init(const clap_plugin_t* plugin)
{
    const Hold instance(plugin);
    return instance && instance->init();
}

void CLAP_CALL destroy(const clap_plugin_t* plugin)
{
    if (ClapPlugin* instance = ClapPlugin::of(plugin))
        instance->destroyForHost();
}

bool CLAP_CALL activate(const clap_plugin_t* plugin, double rate, uint32_t minFrames,
                        uint32_t maxFrames)
{
    const Hold instance(plugin);
    return instance && instance->activate(rate, minFrames, maxFrames);
}

void CLAP_CALL deactivate(const clap_plugin_t* plugin)
{
    if (const Hold instance(plugin); instance)
        instance->deactivate();
}

bool CLAP_CALL startProcessing(const clap_plugin_t* plugin)
{
    ClapPlugin* instance = ClapPlugin::of(plugin);
    return instance && instance->startProcessing();
}

void CLAP_CALL stopProcessing(const clap_plugin_t* plugin)
{
    if (ClapPlugin* instance = ClapPlugin::of(plugin))
        instance->stopProcessing();
}

void CLAP_CALL reset(const clap_plugin_t* plugin)
{
    if (ClapPlugin* instance = ClapPlugin::of(plugin))
        instance->reset();
}

clap_process_status CLAP_CALL process(const clap_plugin_t* plugin, const clap_process_t* process)
{
    ClapPlugin* instance = ClapPlugin::of(plugin);
    return instance ? instance->process(process) : kClapProcessError;
}

const void* CLAP_CALL getExtension(const clap_plugin_t* plugin, const char* id)
{
    return ClapPlugin::of(plugin) ? clapExtension(id) : nullptr;
}

void CLAP_CALL onMainThread(const clap_plugin_t*) {}

// ---------------------------------------------------------------------------- audio-ports

uint32_t CLAP_CALL audioPortCount(const clap_plugin_t* plugin, bool)
{
    return ClapPlugin::of(plugin) ? 1 : 0;
}

bool CLAP_CALL audioPortInfo(const clap_plugin_t* plugin, uint32_t index, bool isInput,
                             clap_audio_port_info_t* info)
{
    if (!ClapPlugin::of(plugin) || index != 0 || !info)
        return false;
    *info = {};
    info->id = 0;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = kClapAudioPortIsMain;
    info->channel_count = 2;
    info->port_type = kClapPortStereo;
    info->in_place_pair = 0;
    return true;
}

// ---------------------------------------------------------------------------- params

uint32_t CLAP_CALL parameterCount(const clap_plugin_t* plugin)
{
    return ClapPlugin::of(plugin) ? clap_parameters::kCount : 0;
}

bool CLAP_CALL parameterInfo(const clap_plugin_t* plugin, uint32_t index, clap_param_info_t* info)
{
    return ClapPlugin::of(plugin) && info &&
           clap_parameters::describe(clap_parameters::idAt(index), *info);
}

bool CLAP_CALL parameterValue(const clap_plugin_t* plugin, clap_id id, double* value)
{
    const Hold instance(plugin);
    return instance && instance->getValue(id, value);
}

bool CLAP_CALL valueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text,
                           uint32_t capacity)
{
    return ClapPlugin::of(plugin) && clap_parameters::textOf(id, value, text, capacity);
}

bool CLAP_CALL textToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value)
{
    if (!ClapPlugin::of(plugin) || !value)
        return false;
    const auto plain = clap_parameters::plainOfText(id, text);
    if (plain)
        *value = *plain;
    return plain.has_value();
}

void CLAP_CALL flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                     const clap_output_events_t* out)
{
    if (ClapPlugin* instance = ClapPlugin::of(plugin))
        instance->flush(in, out);
}

// ---------------------------------------------------------------------------- latency, state

uint32_t CLAP_CALL latency(const clap_plugin_t* plugin)
{
    const Hold instance(plugin);
    return instance ? instance->latency() : 0;
}

bool CLAP_CALL saveState(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    const Hold instance(plugin);
    return instance && instance->save(stream);
}

bool CLAP_CALL loadState(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    const Hold instance(plugin);
    return instance && instance->load(stream);
}

// ---------------------------------------------------------------------------- gui

bool CLAP_CALL guiApiSupported(const clap_plugin_t* plugin, const char* api, bool floating)
{
    return ClapPlugin::of(plugin) && ClapGui::supports(api, floating);
}

bool CLAP_CALL guiPreferredApi(const clap_plugin_t* plugin, const char** api, bool* floating)
{
    if (!ClapPlugin::of(plugin) || !api || !floating)
        return false;
    *api = ClapGui::kWindowApi;
    *floating = false;
    return true;
}

bool CLAP_CALL guiCreate(const clap_plugin_t* plugin, const char* api, bool floating)
{
    const Hold instance(plugin);
    return instance && instance->createGui(api, floating);
}

void CLAP_CALL guiDestroy(const clap_plugin_t* plugin)
{
    if (const Hold instance(plugin); instance)
        instance->destroyGui();
}

bool CLAP_CALL guiSetScale(const clap_plugin_t*, double)
{
    return false;
}

bool CLAP_CALL guiGetSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height)
{
    const Hold instance(plugin);
    return instance && instance->gui() && width && height && instance->gui()->size(*width, *height);
}

bool CLAP_CALL guiCanResize(const clap_plugin_t*)
{
    return false;
}

// Neither way: hosts that ask (Qtractor) keep the window at the editor's size.
bool CLAP_CALL guiResizeHints(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints)
{
    if (!ClapPlugin::of(plugin) || !hints)
        return false;
    *hints = {false, false, false, 0, 0};
    return true;
}

bool CLAP_CALL guiAdjustSize(const clap_plugin_t*, uint32_t*, uint32_t*)
{
    return false;
}

// Only the size it has.
bool CLAP_CALL guiSetSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height)
{
    const Hold instance(plugin);
    uint32_t fixedWidth = 0;
    uint32_t fixedHeight = 0;
    return instance && instance->gui() && instance->gui()->size(fixedWidth, fixedHeight) &&
           width == fixedWidth && height == fixedHeight;
}

bool CLAP_CALL guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    const Hold instance(plugin);
    ClapGui* gui = instance ? instance->gui() : nullptr;
    if (!gui)
        return false;
    const CallDepth::Scope call(gui->hostCalls());
    return gui->setParent(window);
}

bool CLAP_CALL guiSetTransient(const clap_plugin_t*, const clap_window_t*)
{
    return false;
}

void CLAP_CALL guiSuggestTitle(const clap_plugin_t*, const char*) {}

bool CLAP_CALL guiShow(const clap_plugin_t* plugin)
{
    const Hold instance(plugin);
    return instance && instance->gui();
}

bool CLAP_CALL guiHide(const clap_plugin_t* plugin)
{
    const Hold instance(plugin);
    return instance && instance->gui();
}

void CLAP_CALL onTimer(const clap_plugin_t* plugin, clap_id timer)
{
    const Hold instance(plugin);
    ClapGui* gui = instance ? instance->gui() : nullptr;
    if (!gui)
        return;
    const CallDepth::Scope call(gui->hostCalls());
    gui->onTimer(timer);
}

void CLAP_CALL onFd(const clap_plugin_t* plugin, int fd, uint32_t)
{
    const Hold instance(plugin);
    ClapGui* gui = instance ? instance->gui() : nullptr;
    if (!gui)
        return;
    const CallDepth::Scope call(gui->hostCalls());
    gui->onFd(fd);
}

const clap_plugin_audio_ports_t kAudioPorts = {audioPortCount, audioPortInfo};
const clap_plugin_params_t kParams = {parameterCount, parameterInfo, parameterValue,
                                      valueToText,    textToValue,   flush};
const clap_plugin_latency_t kLatency = {latency};
const clap_plugin_state_t kState = {saveState, loadState};
const clap_plugin_gui_t kGui = {guiApiSupported, guiPreferredApi, guiCreate,    guiDestroy,
                                guiSetScale,     guiGetSize,      guiCanResize, guiResizeHints,
                                guiAdjustSize,   guiSetSize,      guiSetParent, guiSetTransient,
                                guiSuggestTitle, guiShow,         guiHide};
const clap_plugin_timer_support_t kTimerSupport = {onTimer};
const clap_plugin_posix_fd_support_t kPosixFdSupport = {onFd};

struct Extension
{
    const char* id;
    const void* extension;
};

const Extension kExtensions[] = {
    {kClapExtAudioPorts, &kAudioPorts},
    {kClapExtParams, &kParams},
    {kClapExtLatency, &kLatency},
    {kClapExtState, &kState},
    {kClapExtGui, &kGui},
    {kClapExtTimerSupport, &kTimerSupport},
#if !defined(_WIN32)
    {kClapExtPosixFdSupport, &kPosixFdSupport},
#endif
};
} // namespace

clap_plugin_t clapPluginCallbacks()
{
    return {nullptr,         nullptr,        init,  destroy, activate,     deactivate,
            startProcessing, stopProcessing, reset, process, getExtension, onMainThread};
}

const void* clapExtension(const char* id)
{
    if (!id)
        return nullptr;
    for (const Extension& extension : kExtensions)
        if (std::strcmp(extension.id, id) == 0)
            return extension.extension;
    return nullptr;
}

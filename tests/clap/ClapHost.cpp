#include "tests/clap/ClapHost.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#include <utility>

namespace
{
struct InputList
{
    const std::vector<clap_event_param_value_t>* events;

    static uint32_t CLAP_CALL size(const clap_input_events_t* list)
    {
        return uint32_t(static_cast<InputList*>(list->ctx)->events->size());
    }
    static const clap_event_header_t* CLAP_CALL get(const clap_input_events_t* list, uint32_t index)
    {
        const auto& events = *static_cast<InputList*>(list->ctx)->events;
        return index < events.size() ? &events[index].header : nullptr;
    }
};

bool CLAP_CALL pushOutput(const clap_output_events_t* list, const clap_event_header_t* event)
{
    auto& outputs = *static_cast<std::vector<OutputEvent>*>(list->ctx);
    if (outputs.size() == outputs.capacity())
        return false;
    OutputEvent recorded{event->type, kClapInvalidId, 0.0};
    if (event->type == kClapEventParamValue)
    {
        const auto& value = reinterpret_cast<const clap_event_param_value_t&>(*event);
        recorded.id = value.param_id;
        recorded.value = value.value;
    }
    else if (event->type == kClapEventParamGestureBegin || event->type == kClapEventParamGestureEnd)
        recorded.id = reinterpret_cast<const clap_event_param_gesture_t&>(*event).param_id;
    outputs.push_back(recorded);
    return true;
}

struct ReadStream
{
    const std::string& bytes;
    size_t chunk;
    size_t position = 0;
};

struct WriteStream
{
    std::string bytes;
};

int64_t CLAP_CALL readState(const clap_istream_t* stream, void* buffer, uint64_t size)
{
    auto& source = *static_cast<ReadStream*>(stream->ctx);
    const size_t count =
        std::min({size_t(size), source.chunk, source.bytes.size() - source.position});
    std::memcpy(buffer, source.bytes.data() + source.position, count);
    source.position += count;
    return int64_t(count);
}

int64_t CLAP_CALL writeState(const clap_ostream_t* stream, const void* buffer, uint64_t size)
{
    static_cast<WriteStream*>(stream->ctx)->bytes.append(static_cast<const char*>(buffer), size);
    return int64_t(size);
}
} // namespace

const clap_plugin_entry_t* loadClapEntry(const std::string& path)
{
#if defined(_WIN32)
    HMODULE library = LoadLibraryA(path.c_str());
    return library
               ? reinterpret_cast<const clap_plugin_entry_t*>(GetProcAddress(library, "clap_entry"))
               : nullptr;
#else
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return library ? static_cast<const clap_plugin_entry_t*>(dlsym(library, "clap_entry"))
                   : nullptr;
#endif
}

std::string clapPluginPath()
{
    const char* given = std::getenv("VRN07_CLAP_PLUGIN");
    return given ? given : VRN07_CLAP_PLUGIN_PATH;
}

clap_event_param_value_t valueEvent(clap_id id, double plain, uint32_t time)
{
    clap_event_param_value_t event = {};
    event.header = {sizeof event, time, kClapCoreEventSpace, kClapEventParamValue, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = plain;
    return event;
}

ClapHost::ClapHost(const clap_plugin_entry_t* entry, const char* id) : entry_(entry)
{
    outputs_.reserve(4096);
    host_ = {kClapVersion,
             this,
             "VRN-07 test host",
             "",
             "",
             "1.0",
             extensionOf,
             [](const clap_host_t* host) { ++of(host).restartRequests; },
             [](const clap_host_t*) {},
             [](const clap_host_t*) {}};
    if (!entry_ || !entry_->init(""))
        return;
    factory_ = static_cast<const clap_plugin_factory_t*>(entry_->get_factory(kClapPluginFactoryId));
    if (!factory_)
        return;
    plugin_ = factory_->create_plugin(factory_, &host_, id);
    if (plugin_ && !plugin_->init(plugin_))
        destroy();
}

ClapHost::~ClapHost()
{
    destroy();
    if (entry_)
        entry_->deinit();
}

void ClapHost::destroy()
{
    if (const clap_plugin_t* plugin = std::exchange(plugin_, nullptr))
        plugin->destroy(plugin);
}

ClapHost& ClapHost::of(const clap_host_t* host)
{
    return *static_cast<ClapHost*>(host->host_data);
}

const void* CLAP_CALL ClapHost::extensionOf(const clap_host_t* host, const char* id)
{
    static const clap_host_params_t params = {[](const clap_host_t* host, uint32_t)
                                              { ++of(host).rescans; },
                                              [](const clap_host_t*, clap_id, uint32_t) {},
                                              [](const clap_host_t* host)
                                              {
                                                  ClapHost& self = of(host);
                                                  ++self.flushRequests;
                                                  if (self.onFlushRequest)
                                                      self.onFlushRequest();
                                              }};
    static const clap_host_latency_t latency = {[](const clap_host_t* host)
                                                { ++of(host).latencyChanges; }};
    static const clap_host_state_t state = {[](const clap_host_t* host) { ++of(host).dirtyMarks; }};
    static const clap_host_timer_support_t timers = {
        [](const clap_host_t* host, uint32_t period, clap_id* id)
        {
            ClapHost& self = of(host);
            self.timerPeriods.push_back(period);
            *id = clap_id(self.timerPeriods.size());
            return true;
        },
        [](const clap_host_t*, clap_id) { return true; }};
    static const clap_host_posix_fd_support_t fds = {[](const clap_host_t* host, int fd, uint32_t)
                                                     {
                                                         of(host).watchedFds.push_back(fd);
                                                         return true;
                                                     },
                                                     [](const clap_host_t*, int, uint32_t)
                                                     { return true; },
                                                     [](const clap_host_t* host, int fd)
                                                     {
                                                         std::erase(of(host).watchedFds, fd);
                                                         return true;
                                                     }};
    const ClapHost& self = of(host);
    if (std::strcmp(id, kClapExtParams) == 0)
        return &params;
    if (std::strcmp(id, kClapExtLatency) == 0)
        return &latency;
    if (std::strcmp(id, kClapExtState) == 0)
        return &state;
    if (std::strcmp(id, kClapExtTimerSupport) == 0 && self.offersTimers)
        return &timers;
    if (std::strcmp(id, kClapExtPosixFdSupport) == 0 && self.offersFds)
        return &fds;
    return nullptr;
}

bool ClapHost::activate(double rate, uint32_t maxFrames)
{
    return plugin_->activate(plugin_, rate, 1, maxFrames) && plugin_->start_processing(plugin_);
}

void ClapHost::deactivate()
{
    plugin_->stop_processing(plugin_);
    plugin_->deactivate(plugin_);
}

clap_process_status ClapHost::process(const float* inLeft, const float* inRight, float* outLeft,
                                      float* outRight, uint32_t frames,
                                      const std::vector<clap_event_param_value_t>& events)
{
    float* inputs[2] = {const_cast<float*>(inLeft), const_cast<float*>(inRight)};
    float* outputs[2] = {outLeft, outRight};
    const clap_audio_buffer_t in = {inputs, nullptr, 2, 0, 0};
    clap_audio_buffer_t out = {outputs, nullptr, 2, 0, 0};
    InputList list{&events};
    const clap_input_events_t inEvents = {&list, InputList::size, InputList::get};
    const clap_output_events_t outEvents = {&outputs_, pushOutput};
    const clap_process_t process = {0, frames, nullptr, &in, &out, 1, 1, &inEvents, &outEvents};
    return plugin_->process(plugin_, &process);
}

std::vector<float> ClapHost::play(const std::vector<float>& interleaved, uint32_t blockFrames,
                                  const std::vector<clap_event_param_value_t>& events)
{
    const size_t frames = interleaved.size() / 2;
    std::vector<float> left(frames), right(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        left[i] = interleaved[2 * i];
        right[i] = interleaved[2 * i + 1];
    }
    for (size_t start = 0; start < frames; start += blockFrames)
    {
        const auto count = uint32_t(std::min<size_t>(blockFrames, frames - start));
        process(&left[start], &right[start], &left[start], &right[start], count,
                start == 0 ? events : std::vector<clap_event_param_value_t>{});
    }
    std::vector<float> output(interleaved.size());
    for (size_t i = 0; i < frames; ++i)
    {
        output[2 * i] = left[i];
        output[2 * i + 1] = right[i];
    }
    return output;
}

void ClapHost::flush(const std::vector<clap_event_param_value_t>& events)
{
    InputList list{&events};
    const clap_input_events_t inEvents = {&list, InputList::size, InputList::get};
    const clap_output_events_t outEvents = {&outputs_, pushOutput};
    extension<clap_plugin_params_t>(kClapExtParams)->flush(plugin_, &inEvents, &outEvents);
}

double ClapHost::value(clap_id id) const
{
    double plain = -1.0;
    extension<clap_plugin_params_t>(kClapExtParams)->get_value(plugin_, id, &plain);
    return plain;
}

uint32_t ClapHost::latency() const
{
    return extension<clap_plugin_latency_t>(kClapExtLatency)->get(plugin_);
}

std::string ClapHost::saveState() const
{
    WriteStream target;
    const clap_ostream_t stream = {&target, writeState};
    if (!extension<clap_plugin_state_t>(kClapExtState)->save(plugin_, &stream))
        return {};
    return target.bytes;
}

bool ClapHost::loadState(const std::string& state, size_t chunk)
{
    ReadStream source{state, chunk};
    const clap_istream_t stream = {&source, readState};
    return extension<clap_plugin_state_t>(kClapExtState)->load(plugin_, &stream);
}

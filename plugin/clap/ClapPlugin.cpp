#include "plugin/clap/ClapPlugin.h"

#include "plugin/clap/ClapCallbacks.h"
#include "plugin/clap/ClapGui.h"
#include "plugin/clap/ClapParameters.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
// The rate the chain is built for until the host activates it.
constexpr int kInitialSampleRate = 48000;
constexpr uint32_t kEveryIndex = (1ull << CParameterValues::kCount) - 1;

bool isStereo(const clap_audio_buffer_t* buffers, uint32_t count)
{
    return count >= 1 && buffers && buffers[0].channel_count >= 2 && buffers[0].data32 &&
           buffers[0].data32[0] && buffers[0].data32[1];
}

template <class Host> const Host* hostExtension(const clap_host_t* host, const char* id)
{
    if (!host || !host->get_extension)
        return nullptr;
    return static_cast<const Host*>(host->get_extension(host, id));
}
} // namespace

ClapPlugin::ClapPlugin(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor)
    : plugin_(clapPluginCallbacks()), host_(host), processor_(kInitialSampleRate)
{
    plugin_.desc = descriptor;
    plugin_.plugin_data = this;
    processor_.setSampleRate(kInitialSampleRate);
    processor_.applyAll(values_);
    latency_ = uint32_t(processor_.latencyFramesFor(values_));
}

ClapPlugin::~ClapPlugin() = default;

ClapPlugin* ClapPlugin::of(const clap_plugin_t* plugin)
{
    if (!plugin)
        return nullptr;
    auto* instance = static_cast<ClapPlugin*>(plugin->plugin_data);
    return instance && instance->tag_ == kTag && !instance->destroyed_ ? instance : nullptr;
}

void ClapPlugin::release()
{
    if (holds_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void ClapPlugin::destroyForHost()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    destroyGui();
    release();
}

// ---------------------------------------------------------------------------- main thread

// The host's extensions may be asked for only from here on.
bool ClapPlugin::init()
{
    hostParams_ = hostExtension<clap_host_params_t>(host_, kClapExtParams);
    hostLatency_ = hostExtension<clap_host_latency_t>(host_, kClapExtLatency);
    hostState_ = hostExtension<clap_host_state_t>(host_, kClapExtState);
    return true;
}

bool ClapPlugin::activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames)
{
    if (active_ ||
        !(sampleRate >= CTruePeakLimiter::kMinSampleRate &&
          sampleRate <= CTruePeakLimiter::kMaxSampleRate) ||
        maxFrames == 0 || minFrames > maxFrames)
        return false;
    processor_.setSampleRate(int(std::lround(sampleRate)));
    processor_.applyAll(values_);
    const auto latency = uint32_t(processor_.latencyFramesFor(values_));
    const bool latencyChanged = latency != latency_;
    latency_ = latency;
    reapply_ = false;
    restartAsked_ = false;
    active_ = true;
    if (latencyChanged && hostLatency_ && hostLatency_->changed)
        hostLatency_->changed(host_);
    return true;
}

void ClapPlugin::deactivate()
{
    active_ = false;
    processing_ = false;
}

bool ClapPlugin::getValue(clap_id id, double* value) const
{
    if (!value || !clap_parameters::isParameter(id))
        return false;
    if (id == clap_parameters::kProgramId)
    {
        *value = program_.load(std::memory_order_relaxed);
        return true;
    }
    *value = clap_parameters::plainOfNormalized(id, values_.normalized(int(id)));
    return true;
}

bool ClapPlugin::save(const clap_ostream_t* stream) const
{
    if (!stream || !stream->write)
        return false;
    const std::string text = values_.saveText();
    for (size_t written = 0; written < text.size();)
    {
        const int64_t count = stream->write(stream, text.data() + written, text.size() - written);
        if (count <= 0 || uint64_t(count) > text.size() - written)
            return false;
        written += size_t(count);
    }
    return true;
}

bool ClapPlugin::load(const clap_istream_t* stream)
{
    if (!stream || !stream->read)
        return false;
    std::string text;
    char buffer[4096];
    for (;;)
    {
        const int64_t count = stream->read(stream, buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count < 0 || uint64_t(count) > sizeof buffer ||
            text.size() + size_t(count) > kLargestState)
            return false;
        text.append(buffer, size_t(count));
    }
    if (!values_.restoreText(text))
        return false;
    if (active_)
    {
        reapply_ = true;
        askRestartForLatency();
    }
    else
        processor_.applyAll(values_);
    hostChanges_.fetch_or(kEveryIndex, std::memory_order_release);
    if (hostParams_ && hostParams_->rescan)
        hostParams_->rescan(host_, kClapParamRescanValues);
    return true;
}

bool ClapPlugin::createGui(const char* api, bool floating)
{
    if (gui_ || !ClapGui::supports(api, floating))
        return false;
    gui_ = std::make_unique<ClapGui>(*this);
    return true;
}

// A host may destroy the editor from inside a call that the editor made: it closes at once,
// and goes once the host's call into it has returned.
void ClapPlugin::destroyGui()
{
    if (!gui_)
        return;
    gui_->close();
    ClapGui* gui = gui_.release();
    gui->hostCalls().afterCalls([](void* object) { delete static_cast<ClapGui*>(object); }, gui);
}

void ClapPlugin::editorChanged()
{
    if (destroyed_)
        return;
    // Some hosts (Qtractor) count a parameter's value events as no change of the session.
    if (hostState_ && hostState_->mark_dirty)
        hostState_->mark_dirty(host_);
    requestFlush();
}

void ClapPlugin::requestFlush()
{
    if (destroyed_)
        return;
    if (!processing_ && hostParams_ && hostParams_->request_flush)
        hostParams_->request_flush(host_);
}

// ---------------------------------------------------------------------------- audio thread

bool ClapPlugin::startProcessing()
{
    if (!active_)
        return false;
    processing_ = true;
    return true;
}

void ClapPlugin::stopProcessing()
{
    processing_ = false;
}

void ClapPlugin::reset()
{
    if (active_)
        processor_.reset();
}

// The block is played in pieces between the frames at which events fall; an event past the
// block's end takes effect at its end, one out of order at once.
clap_process_status ClapPlugin::process(const clap_process_t* process)
{
    if (!process || !active_ || !isStereo(process->audio_inputs, process->audio_inputs_count) ||
        !isStereo(process->audio_outputs, process->audio_outputs_count))
        return kClapProcessError;
    if (reapply_.exchange(false, std::memory_order_acquire))
        processor_.applyAll(values_);
    reportEditorChanges(process->out_events);

    const uint32_t frames = process->frames_count;
    const float* const* in = process->audio_inputs[0].data32;
    float* const* out = process->audio_outputs[0].data32;
    const clap_input_events_t* events = process->in_events;
    const uint32_t count = events && events->size && events->get ? events->size(events) : 0;
    uint32_t next = 0;
    for (uint32_t done = 0;;)
    {
        uint32_t until = frames;
        for (; next < count; ++next)
        {
            const clap_event_header_t* event = events->get(events, next);
            if (!event)
                continue;
            until = std::min(event->time, frames);
            if (until > done)
                break;
            applyEvent(*event, process->out_events);
            until = frames;
        }
        if (done == frames)
            break;
        processor_.process(in[0] + done, in[1] + done, out[0] + done, out[1] + done,
                           int(until - done));
        done = until;
    }
    return kClapProcessContinue;
}

void ClapPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
    if (processing_)
        return;
    if (reapply_.exchange(false, std::memory_order_acquire))
        processor_.applyAll(values_);
    const uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    for (uint32_t i = 0; i < count; ++i)
        if (const clap_event_header_t* event = in->get(in, i))
            applyEvent(*event, out);
    reportEditorChanges(out);
}

void ClapPlugin::applyEvent(const clap_event_header_t& event, const clap_output_events_t* out)
{
    if (event.space_id != kClapCoreEventSpace || event.type != kClapEventParamValue ||
        event.size < sizeof(clap_event_param_value_t))
        return;
    const auto& change = reinterpret_cast<const clap_event_param_value_t&>(event);
    if (change.param_id == clap_parameters::kProgramId && std::isfinite(change.value))
    {
        selectProgram(clap_parameters::programOfPlain(change.value), out);
        return;
    }
    const auto normalized = clap_parameters::normalizedOfPlain(change.param_id, change.value);
    if (!normalized)
        return;
    const int index = int(change.param_id);
    values_.storeNormalized(index, *normalized);
    applySetting(index);
    hostChanges_.fetch_or(1u << index, std::memory_order_release);
}

// The program's settings replace the current ones; the host hears each control's new value.
void ClapPlugin::selectProgram(int program, const clap_output_events_t* out)
{
    program_.store(program, std::memory_order_relaxed);
    values_.storeProgram(program);
    processor_.applyAll(values_);
    hostChanges_.fetch_or(kEveryIndex, std::memory_order_release);
    for (int index = kFirstHostControl; index < kNumParameters; ++index)
        pushValue(out, index);
}

void ClapPlugin::reportEditorChanges(const clap_output_events_t* out)
{
    editorChanges_.drain(
        [&](EditorChanges::Kind kind, int index)
        {
            switch (kind)
            {
            case EditorChanges::Kind::kGestureBegin:
                pushGesture(out, index, kClapEventParamGestureBegin);
                break;
            case EditorChanges::Kind::kValue:
                applySetting(index);
                pushValue(out, index);
                break;
            case EditorChanges::Kind::kGestureEnd:
                pushGesture(out, index, kClapEventParamGestureEnd);
                break;
            }
        });
}

void ClapPlugin::pushValue(const clap_output_events_t* out, int index) const
{
    if (!out || !out->try_push || !clap_parameters::isParameter(clap_id(index)))
        return;
    clap_event_param_value_t event = {};
    event.header = {sizeof event, 0, kClapCoreEventSpace, kClapEventParamValue, kClapEventIsLive};
    event.param_id = clap_id(index);
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = clap_parameters::plainOfNormalized(event.param_id, values_.normalized(index));
    out->try_push(out, &event.header);
}

void ClapPlugin::pushGesture(const clap_output_events_t* out, int index, uint16_t type) const
{
    if (!out || !out->try_push || !clap_parameters::isParameter(clap_id(index)))
        return;
    clap_event_param_gesture_t event = {};
    event.header = {sizeof event, 0, kClapCoreEventSpace, type, kClapEventIsLive};
    event.param_id = clap_id(index);
    out->try_push(out, &event.header);
}

void ClapPlugin::applySetting(int index)
{
    processor_.apply(index, values_);
    if (index == kParamCeiling)
        askRestartForLatency();
}

// The ceiling's look-ahead joins or leaves the latency only through a new activation.
void ClapPlugin::askRestartForLatency()
{
    if (!active_ || processor_.latencyFramesFor(values_) == int(latency_) ||
        restartAsked_.exchange(true))
        return;
    if (host_ && host_->request_restart)
        host_->request_restart(host_);
}

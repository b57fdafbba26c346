#include "plugin/vst3/Vst3Effect.h"

#include "engine/FactoryPresets.h"
#include "engine/TruePeakLimiter.h"
#include "engine/Units.h"
#include "plugin/vst3/Vst3Parameters.h"
#include "plugin/vst3/Vst3Stream.h"
#include "plugin/vst3/Vst3View.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace
{
// The queues a block is split by; more are applied at the block's start.
constexpr int kMaxQueues = 64;
constexpr uint32_t kAllSettings = (uint64_t(1) << CParameterValues::kCount) - 1;
static_assert(CParameterValues::kCount <= 32, "one pending bit per setting");

template <typename Interface> vst3::tresult answer(Interface* self, void** object)
{
    self->addRef();
    *object = self;
    return vst3::kResultOk;
}

// Keeps an object alive through calls to the host, which may release it from inside them.
class Retained
{
  public:
    explicit Retained(vst3::FUnknown* object) : object_(object) { object_->addRef(); }
    ~Retained() { object_->release(); }
    Retained(const Retained&) = delete;
    Retained& operator=(const Retained&) = delete;

  private:
    vst3::FUnknown* object_;
};
} // namespace

Vst3Effect::Vst3Effect() : chain_(kDefaultSampleRate), reportedLatency_(latencyOfSettings())
{
    chain_.setSampleRate(kDefaultSampleRate);
    chain_.applyAll(values_);
}

Vst3Effect::~Vst3Effect()
{
    if (handler_)
        handler_->release();
}

// ---------------------------------------------------------------------------- FUnknown

vst3::tresult Vst3Effect::queryInterface(const vst3::TUID iid, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    *object = nullptr;
    if (vst3::sameUid(iid, vst3::iid::kFUnknown) || vst3::sameUid(iid, vst3::iid::kPluginBase) ||
        vst3::sameUid(iid, vst3::iid::kComponent))
        return answer(static_cast<vst3::IComponent*>(this), object);
    if (vst3::sameUid(iid, vst3::iid::kAudioProcessor))
        return answer(static_cast<vst3::IAudioProcessor*>(this), object);
    if (vst3::sameUid(iid, vst3::iid::kEditController))
        return answer(static_cast<vst3::IEditController*>(this), object);
    if (vst3::sameUid(iid, vst3::iid::kUnitInfo))
        return answer(static_cast<vst3::IUnitInfo*>(this), object);
    return vst3::kNoInterface;
}

uint32_t Vst3Effect::addRef()
{
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3Effect::release()
{
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

vst3::tresult Vst3Effect::initialize(vst3::FUnknown*)
{
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::terminate()
{
    setComponentHandler(nullptr);
    return vst3::kResultOk;
}

// ---------------------------------------------------------------------------- IComponent

// The component is its own controller.
vst3::tresult Vst3Effect::getControllerClassId(vst3::TUID)
{
    return vst3::kNotImplemented;
}

vst3::tresult Vst3Effect::setIoMode(int32_t)
{
    return vst3::kResultOk;
}

int32_t Vst3Effect::getBusCount(int32_t type, int32_t direction)
{
    return type == vst3::kAudio && (direction == vst3::kInput || direction == vst3::kOutput) ? 1
                                                                                             : 0;
}

vst3::tresult Vst3Effect::getBusInfo(int32_t type, int32_t direction, int32_t index,
                                     vst3::BusInfo& bus)
{
    if (getBusCount(type, direction) <= index || index < 0)
        return vst3::kInvalidArgument;
    bus = {};
    bus.mediaType = vst3::kAudio;
    bus.direction = direction;
    bus.channelCount = 2;
    vst3_parameters::copyText(direction == vst3::kInput ? "Stereo In" : "Stereo Out", bus.name);
    bus.busType = vst3::kMain;
    bus.flags = vst3::BusInfo::kDefaultActive;
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::getRoutingInfo(vst3::RoutingInfo&, vst3::RoutingInfo&)
{
    return vst3::kNotImplemented;
}

vst3::tresult Vst3Effect::activateBus(int32_t type, int32_t direction, int32_t index, vst3::TBool)
{
    return index >= 0 && index < getBusCount(type, direction) ? vst3::kResultOk
                                                              : vst3::kInvalidArgument;
}

// Activation clears every running state and applies every setting.
vst3::tresult Vst3Effect::setActive(vst3::TBool state)
{
    if (state && !active_)
    {
        pending_.store(0, std::memory_order_relaxed);
        chain_.reset();
        chain_.applyAll(values_);
    }
    active_ = state != 0;
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::setState(vst3::IBStream* state)
{
    std::string text;
    if (!vst3_stream::readAll(state, kStateLimit, text) || !values_.restoreText(text))
        return vst3::kResultFalse;
    allSettingsChanged();
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::getState(vst3::IBStream* state)
{
    return vst3_stream::writeAll(state, values_.saveText()) ? vst3::kResultOk : vst3::kResultFalse;
}

// ---------------------------------------------------------------------------- IAudioProcessor

vst3::tresult Vst3Effect::setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t inputCount,
                                             vst3::SpeakerArrangement* outputs, int32_t outputCount)
{
    const bool stereo = inputs && outputs && inputCount == 1 && outputCount == 1 &&
                        inputs[0] == vst3::kStereo && outputs[0] == vst3::kStereo;
    return stereo ? vst3::kResultOk : vst3::kResultFalse;
}

vst3::tresult Vst3Effect::getBusArrangement(int32_t direction, int32_t index,
                                            vst3::SpeakerArrangement& arrangement)
{
    if (index != 0 || (direction != vst3::kInput && direction != vst3::kOutput))
        return vst3::kInvalidArgument;
    arrangement = vst3::kStereo;
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::canProcessSampleSize(int32_t symbolicSampleSize)
{
    return symbolicSampleSize == vst3::kSample32 ? vst3::kResultTrue : vst3::kResultFalse;
}

// What the chain will report once it has taken the settings.
int Vst3Effect::latencyOfSettings() const
{
    return chain_.latencyFramesFor(values_);
}

uint32_t Vst3Effect::getLatencySamples()
{
    return uint32_t(latencyOfSettings());
}

// The rates the true-peak stage can hold.
vst3::tresult Vst3Effect::setupProcessing(vst3::ProcessSetup& setup)
{
    const double rate = setup.sampleRate;
    if (active_ || setup.symbolicSampleSize != vst3::kSample32 || !std::isfinite(rate) ||
        rate < 1000.0 || rate > CTruePeakLimiter::kMaxSampleRate)
        return vst3::kResultFalse;
    chain_.setSampleRate(int(std::lround(rate)));
    chain_.applyAll(values_);
    pending_.store(0, std::memory_order_relaxed);
    return vst3::kResultOk;
}

// Processing follows setActive alone; hosts call this around it in either order.
vst3::tresult Vst3Effect::setProcessing(vst3::TBool)
{
    return vst3::kResultOk;
}

uint32_t Vst3Effect::getTailSamples()
{
    return uint32_t(latencyOfSettings());
}

vst3::tresult Vst3Effect::process(vst3::ProcessData& data)
{
    if (!active_)
        return vst3::kNotInitialized;
    applyPending();
    if (data.symbolicSampleSize != vst3::kSample32 || data.numSamples < 0)
        return vst3::kInvalidArgument;
    const bool withAudio = data.numSamples > 0 && hasStereoBuses(data);
    processParameterChanges(data, withAudio);
    if (data.numSamples > 0 && !withAudio)
        return vst3::kInvalidArgument;
    if (withAudio)
        data.outputs[0].silenceFlags = 0;
    return vst3::kResultOk;
}

bool Vst3Effect::hasStereoBuses(const vst3::ProcessData& data) const
{
    if (data.numInputs < 1 || data.numOutputs < 1 || !data.inputs || !data.outputs)
        return false;
    const vst3::AudioBusBuffers& in = data.inputs[0];
    const vst3::AudioBusBuffers& out = data.outputs[0];
    return in.numChannels >= 2 && out.numChannels >= 2 && in.channelBuffers32 &&
           out.channelBuffers32 && in.channelBuffers32[0] && in.channelBuffers32[1] &&
           out.channelBuffers32[0] && out.channelBuffers32[1];
}

namespace
{
struct QueueCursor
{
    vst3::IParamValueQueue* queue;
    vst3::ParamID id;
    int32_t count;
    int32_t next;
};
} // namespace

// Plays the block in pieces between the queues' points, each point applied at its offset; a
// point at or past the block's end is applied after it, for the next block.
void Vst3Effect::processParameterChanges(vst3::ProcessData& data, bool withAudio)
{
    QueueCursor cursors[kMaxQueues];
    int queues = 0;
    vst3::IParameterChanges* changes = data.inputParameterChanges;
    const int32_t queueCount = changes ? changes->getParameterCount() : 0;
    for (int32_t q = 0; q < queueCount; ++q)
    {
        vst3::IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue || !vst3_parameters::isKnown(queue->getParameterId()))
            continue;
        QueueCursor cursor = {queue, queue->getParameterId(), queue->getPointCount(), 0};
        if (queues < kMaxQueues)
            cursors[queues++] = cursor;
        else
            for (int32_t point = 0; point < cursor.count; ++point)
            {
                int32_t offset = 0;
                double value = 0.0;
                if (queue->getPoint(point, offset, value) == vst3::kResultOk)
                    applyHostValue(cursor.id, value);
            }
    }
    // Applies a cursor's points up to position; the offset of its next point, or INT_MAX.
    auto applyUpTo = [this](QueueCursor& cursor, int position)
    {
        for (; cursor.next < cursor.count; ++cursor.next)
        {
            int32_t offset = 0;
            double value = 0.0;
            if (cursor.queue->getPoint(cursor.next, offset, value) != vst3::kResultOk)
                continue;
            if (offset > position)
                return int(offset);
            applyHostValue(cursor.id, value);
        }
        return INT_MAX;
    };
    const int frames = withAudio ? data.numSamples : 0;
    for (int position = 0; position < frames;)
    {
        int next = frames;
        for (int q = 0; q < queues; ++q)
            next = std::min(next, applyUpTo(cursors[q], position));
        processSegment(data, position, next - position);
        position = next;
    }
    for (int q = 0; q < queues; ++q)
        applyUpTo(cursors[q], INT_MAX);
}

void Vst3Effect::processSegment(const vst3::ProcessData& data, int offset, int frames)
{
    float* const* in = data.inputs[0].channelBuffers32;
    float* const* out = data.outputs[0].channelBuffers32;
    chain_.process(in[0] + offset, in[1] + offset, out[0] + offset, out[1] + offset, frames);
}

void Vst3Effect::applyPending()
{
    uint32_t pending = pending_.exchange(0, std::memory_order_acquire);
    for (int index = 0; pending != 0; ++index, pending >>= 1)
        if (pending & 1)
            chain_.apply(index, values_);
}

void Vst3Effect::applyHostValue(vst3::ParamID id, double value)
{
    if (!std::isfinite(value))
        return;
    if (id == vst3_parameters::kProgramId)
    {
        values_.storeProgram(vst3_parameters::programOf(value));
        chain_.applyAll(values_);
        generation_.fetch_add(1, std::memory_order_release);
        valuesChangedLater_.store(true, std::memory_order_release);
        return;
    }
    const int index = vst3_parameters::settingOf(id);
    if (values_.storeNormalized(index, vst3_parameters::settingNormalized(id, value)))
        chain_.apply(index, values_);
}

// ---------------------------------------------------------------------------- IEditController

vst3::tresult Vst3Effect::setComponentState(vst3::IBStream* state)
{
    return setState(state);
}

int32_t Vst3Effect::getParameterCount()
{
    return vst3_parameters::count();
}

vst3::tresult Vst3Effect::getParameterInfo(int32_t index, vst3::ParameterInfo& info)
{
    return vst3_parameters::describe(index, info) ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult Vst3Effect::getParamStringByValue(vst3::ParamID id, vst3::ParamValue normalized,
                                                vst3::String128 text)
{
    if (!text)
        return vst3::kInvalidArgument;
    return vst3_parameters::text(id, normalized, text) ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult Vst3Effect::getParamValueByString(vst3::ParamID id, vst3::TChar* text,
                                                vst3::ParamValue& normalized)
{
    return vst3_parameters::valueOfText(id, text, normalized) ? vst3::kResultOk
                                                              : vst3::kResultFalse;
}

vst3::ParamValue Vst3Effect::normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue normalized)
{
    return vst3_parameters::plainOf(id, normalized);
}

vst3::ParamValue Vst3Effect::plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plain)
{
    return vst3_parameters::normalizedOfPlain(id, plain);
}

vst3::ParamValue Vst3Effect::getParamNormalized(vst3::ParamID id)
{
    const int index = vst3_parameters::settingOf(id);
    return index < 0 ? 0.0 : vst3_parameters::hostNormalized(id, values_.normalized(index));
}

// The host shows the controller a value its queues bring the processor; a program is the
// controller's to load.
vst3::tresult Vst3Effect::setParamNormalized(vst3::ParamID id, vst3::ParamValue value)
{
    if (!vst3_parameters::isKnown(id) || !std::isfinite(value))
        return vst3::kInvalidArgument;
    const Retained self(static_cast<vst3::IComponent*>(this));
    if (id == vst3_parameters::kProgramId)
    {
        values_.storeProgram(vst3_parameters::programOf(value));
        allSettingsChanged();
        return vst3::kResultOk;
    }
    const int index = vst3_parameters::settingOf(id);
    values_.storeNormalized(index, vst3_parameters::settingNormalized(id, value));
    showInEditor(index);
    notifyHost();
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::setComponentHandler(vst3::IComponentHandler* handler)
{
    if (handler)
        handler->addRef();
    if (handler_)
        handler_->release();
    handler_ = handler;
    return vst3::kResultOk;
}

vst3::IPlugView* Vst3Effect::createView(vst3::FIDString name)
{
    if (!name || std::string_view(name) != vst3::kEditorViewType)
        return nullptr;
    return new Vst3View(*this);
}

// ---------------------------------------------------------------------------- IUnitInfo

int32_t Vst3Effect::getUnitCount()
{
    return 1;
}

vst3::tresult Vst3Effect::getUnitInfo(int32_t index, vst3::UnitInfo& info)
{
    if (index != 0)
        return vst3::kInvalidArgument;
    info = {};
    info.id = vst3::kRootUnitId;
    info.parentUnitId = vst3::kNoParentUnitId;
    vst3_parameters::copyText("Root", info.name);
    info.programListId = vst3_parameters::kProgramListId;
    return vst3::kResultOk;
}

int32_t Vst3Effect::getProgramListCount()
{
    return 1;
}

vst3::tresult Vst3Effect::getProgramListInfo(int32_t index, vst3::ProgramListInfo& info)
{
    if (index != 0)
        return vst3::kInvalidArgument;
    info = {};
    info.id = vst3_parameters::kProgramListId;
    vst3_parameters::copyText("Factory Programs", info.name);
    info.programCount = kNumPrograms;
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::getProgramName(vst3::ProgramListID list, int32_t program,
                                         vst3::String128 name)
{
    if (list != vst3_parameters::kProgramListId || program < 0 || program >= kNumPrograms || !name)
        return vst3::kInvalidArgument;
    vst3_parameters::copyText(kFactoryPresets[program].name, name);
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::getProgramInfo(vst3::ProgramListID, int32_t, const char*, vst3::String128)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3Effect::hasProgramPitchNames(vst3::ProgramListID, int32_t)
{
    return vst3::kResultFalse;
}

vst3::tresult Vst3Effect::getProgramPitchName(vst3::ProgramListID, int32_t, int16_t,
                                              vst3::String128)
{
    return vst3::kResultFalse;
}

vst3::UnitID Vst3Effect::getSelectedUnit()
{
    return vst3::kRootUnitId;
}

vst3::tresult Vst3Effect::selectUnit(vst3::UnitID unit)
{
    return unit == vst3::kRootUnitId ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult Vst3Effect::getUnitByBus(int32_t type, int32_t direction, int32_t bus, int32_t,
                                       vst3::UnitID& unit)
{
    if (bus < 0 || bus >= getBusCount(type, direction))
        return vst3::kInvalidArgument;
    unit = vst3::kRootUnitId;
    return vst3::kResultOk;
}

vst3::tresult Vst3Effect::setUnitProgramData(int32_t, int32_t, vst3::IBStream*)
{
    return vst3::kNotImplemented;
}

// ---------------------------------------------------------------------------- main thread

void Vst3Effect::editorChange(int index, double normalized)
{
    if (!values_.storeNormalized(index, normalized))
        return;
    pending_.fetch_or(uint32_t(1) << index, std::memory_order_release);
    const Retained self(static_cast<vst3::IComponent*>(this));
    const auto id = vst3::ParamID(index);
    if (vst3_parameters::settingOf(id) >= 0 && handler_)
    {
        const Retained handler(handler_);
        handler_->performEdit(id, vst3_parameters::hostNormalized(id, values_.normalized(index)));
    }
    notifyHost();
}

void Vst3Effect::editorGesture(int index, bool begins)
{
    const auto id = vst3::ParamID(index);
    if (vst3_parameters::settingOf(id) < 0 || !handler_)
        return;
    const Retained self(static_cast<vst3::IComponent*>(this));
    vst3::IComponentHandler* handler = handler_;
    const Retained retainedHandler(handler);
    begins ? handler->beginEdit(id) : handler->endEdit(id);
}

void Vst3Effect::mainThreadWork()
{
    const Retained self(static_cast<vst3::IComponent*>(this));
    if (valuesChangedLater_.exchange(false, std::memory_order_acq_rel))
        restart(vst3::kParamValuesChanged);
    notifyHost();
}

void Vst3Effect::viewClosed(Vst3View* view)
{
    if (view_ == view)
        view_ = nullptr;
}

// A program or a state replaced the settings: the audio thread takes them all at its next
// block, the editor shows them, and the host learns of them from the run loop's next timer
// call. Never from inside the host's own call: Ardour 7.3 holds its processing lock while it
// selects a program, and its restartComponent waits for that lock.
void Vst3Effect::allSettingsChanged()
{
    pending_.store(kAllSettings, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
    valuesChangedLater_.store(true, std::memory_order_release);
}

// Tells the host of a latency that changed with the ceiling.
void Vst3Effect::notifyHost()
{
    const int latency = latencyOfSettings();
    if (latency == reportedLatency_)
        return;
    reportedLatency_ = latency;
    restart(vst3::kLatencyChanged);
}

vst3::tresult Vst3Effect::restart(int32_t flags)
{
    if (!handler_)
        return vst3::kResultFalse;
    vst3::IComponentHandler* handler = handler_;
    const Retained retainedHandler(handler);
    return handler->restartComponent(flags);
}

void Vst3Effect::showInEditor(int index)
{
    if (view_)
        view_->showSetting(index);
}

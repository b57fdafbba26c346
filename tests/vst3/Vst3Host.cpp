#include "tests/vst3/Vst3Host.h"

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace
{
void* openLibrary(const std::string& path)
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
#else
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void* symbol(void* library, const char* name)
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
    return dlsym(library, name);
#endif
}

void closeLibrary(void* library)
{
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(library));
#else
    dlclose(library);
#endif
}

#if defined(_WIN32)
constexpr char kEntry[] = "InitDll";
constexpr char kExit[] = "ExitDll";
using EntryFunction = bool (*)();
bool callEntry(void* function, void*)
{
    return reinterpret_cast<EntryFunction>(function)();
}
#else
constexpr char kEntry[] = "ModuleEntry";
constexpr char kExit[] = "ModuleExit";
using EntryFunction = bool (*)(void*);
bool callEntry(void* function, void* library)
{
    return reinterpret_cast<EntryFunction>(function)(library);
}
#endif
using ExitFunction = bool (*)();

template <typename Interface> Interface* query(vst3::FUnknown* object, const vst3::Uid& iid)
{
    void* answer = nullptr;
    if (!object || object->queryInterface(iid.bytes, &answer) != vst3::kResultOk)
        return nullptr;
    return static_cast<Interface*>(answer);
}
} // namespace

#if !defined(VRN07_VST3_MODULE)
#define VRN07_VST3_MODULE ""
#endif

std::string& testModulePath()
{
    static std::string path = VRN07_VST3_MODULE;
    return path;
}

Vst3Module::Vst3Module(const std::string& path)
{
    library_ = openLibrary(path);
    if (!library_)
    {
        error_ = "cannot load " + path;
        return;
    }
    void* entry = symbol(library_, kEntry);
    if (!entry || !callEntry(entry, library_))
    {
        error_ = std::string("no ") + kEntry + " or it refused";
        return;
    }
    auto* getFactory =
        reinterpret_cast<vst3::GetFactoryFunction>(symbol(library_, "GetPluginFactory"));
    vst3::IPluginFactory* factory = getFactory ? getFactory() : nullptr;
    factory_ = query<vst3::IPluginFactory2>(factory, vst3::iid::kPluginFactory2);
    if (factory)
        factory->release();
    if (!factory_)
        error_ = "no IPluginFactory2";
}

Vst3Module::~Vst3Module()
{
    if (factory_)
        factory_->release();
    if (!library_)
        return;
    if (void* exit = symbol(library_, kExit))
        reinterpret_cast<ExitFunction>(exit)();
    closeLibrary(library_);
}

// ---------------------------------------------------------------------------- instance

Vst3Instance::Vst3Instance(vst3::IPluginFactory2& factory, const vst3::Uid& classId)
{
    void* object = nullptr;
    if (factory.createInstance(classId.bytes, vst3::iid::kComponent.bytes, &object) !=
            vst3::kResultOk ||
        !object)
        return;
    component = static_cast<vst3::IComponent*>(object);
    processor = query<vst3::IAudioProcessor>(component, vst3::iid::kAudioProcessor);
    controller = query<vst3::IEditController>(component, vst3::iid::kEditController);
    units = query<vst3::IUnitInfo>(component, vst3::iid::kUnitInfo);
}

Vst3Instance::~Vst3Instance()
{
    if (processor)
        processor->setProcessing(0);
    if (component)
    {
        component->setActive(0);
        component->terminate();
    }
    for (vst3::FUnknown* part :
         std::initializer_list<vst3::FUnknown*>{processor, controller, units, component})
        if (part)
            part->release();
}

bool Vst3Instance::start(double rate, int block)
{
    if (!component || !processor || component->initialize(nullptr) != vst3::kResultOk)
        return false;
    vst3::SpeakerArrangement in = vst3::kStereo, out = vst3::kStereo;
    vst3::ProcessSetup setup{0, vst3::kSample32, block, rate};
    return processor->setBusArrangements(&in, 1, &out, 1) == vst3::kResultOk &&
           processor->setupProcessing(setup) == vst3::kResultOk &&
           component->setActive(1) == vst3::kResultOk &&
           processor->setProcessing(1) == vst3::kResultOk;
}

// ---------------------------------------------------------------------------- streams

vst3::tresult MemoryStream::read(void* buffer, int32_t bytes, int32_t* bytesRead)
{
    if (!buffer || bytes < 0)
        return vst3::kInvalidArgument;
    const size_t count = std::min({size_t(bytes), size_t(step_), bytes_.size() - position_});
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    if (bytesRead)
        *bytesRead = int32_t(count);
    return vst3::kResultOk;
}

vst3::tresult MemoryStream::write(void* buffer, int32_t bytes, int32_t* bytesWritten)
{
    if (!buffer || bytes < 0)
        return vst3::kInvalidArgument;
    const size_t count = std::min(size_t(bytes), size_t(step_));
    bytes_.replace(position_, std::min(count, bytes_.size() - position_),
                   static_cast<const char*>(buffer), count);
    position_ += count;
    if (bytesWritten)
        *bytesWritten = int32_t(count);
    return vst3::kResultOk;
}

vst3::tresult MemoryStream::seek(int64_t position, int32_t mode, int64_t* result)
{
    const int64_t base = mode == kSeekSet   ? 0
                         : mode == kSeekCur ? int64_t(position_)
                                            : int64_t(bytes_.size());
    const int64_t target = base + position;
    if (target < 0 || target > int64_t(bytes_.size()))
        return vst3::kInvalidArgument;
    position_ = size_t(target);
    if (result)
        *result = target;
    return vst3::kResultOk;
}

vst3::tresult MemoryStream::tell(int64_t* position)
{
    if (!position)
        return vst3::kInvalidArgument;
    *position = int64_t(position_);
    return vst3::kResultOk;
}

// ---------------------------------------------------------------------------- changes

vst3::tresult ValueQueue::getPoint(int32_t index, int32_t& offset, double& value)
{
    if (index < 0 || index >= count_)
        return vst3::kInvalidArgument;
    offset = offsets_[index];
    value = values_[index];
    return vst3::kResultOk;
}

vst3::tresult ValueQueue::addPoint(int32_t offset, double value, int32_t& index)
{
    if (count_ == kCapacity)
        return vst3::kResultFalse;
    offsets_[count_] = offset;
    values_[count_] = value;
    index = count_++;
    return vst3::kResultOk;
}

void ParameterChanges::add(vst3::ParamID id, int32_t offset, double value)
{
    int32_t index = 0;
    if (vst3::IParamValueQueue* queue = addParameterData(id, index))
        queue->addPoint(offset, value, index);
}

vst3::IParamValueQueue* ParameterChanges::getParameterData(int32_t index)
{
    return index >= 0 && index < count_ ? &queues_[index] : nullptr;
}

vst3::IParamValueQueue* ParameterChanges::addParameterData(const vst3::ParamID& id, int32_t& index)
{
    for (index = 0; index < count_; ++index)
        if (queues_[index].getParameterId() == id)
            return &queues_[index];
    if (count_ == kCapacity)
        return nullptr;
    queues_[count_].reset(id);
    index = count_;
    return &queues_[count_++];
}

// ---------------------------------------------------------------------------- handler

vst3::tresult RecordingHandler::beginEdit(vst3::ParamID id)
{
    calls.push_back("begin " + std::to_string(id));
    if (onCall)
        onCall();
    return vst3::kResultOk;
}

vst3::tresult RecordingHandler::performEdit(vst3::ParamID id, double value)
{
    calls.push_back("perform " + std::to_string(id));
    performed.push_back(value);
    if (onCall)
        onCall();
    return vst3::kResultOk;
}

vst3::tresult RecordingHandler::endEdit(vst3::ParamID id)
{
    calls.push_back("end " + std::to_string(id));
    if (onCall)
        onCall();
    return vst3::kResultOk;
}

vst3::tresult RecordingHandler::restartComponent(int32_t flags)
{
    calls.push_back("restart " + std::to_string(flags));
    if (onCall)
        onCall();
    return vst3::kResultOk;
}

// ---------------------------------------------------------------------------- processing

void processBlock(vst3::IAudioProcessor& processor, float* left, float* right, int frames,
                  vst3::IParameterChanges* changes)
{
    float* channels[2] = {left, right};
    vst3::AudioBusBuffers in{};
    in.numChannels = 2;
    in.channelBuffers32 = channels;
    vst3::AudioBusBuffers out = in;
    vst3::ProcessData data{};
    data.symbolicSampleSize = vst3::kSample32;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.inputParameterChanges = changes;
    processor.process(data);
}

// A VST3 host of our own for the tests: loads a module as hosts do (its entry point first,
// then the factory), creates the plug-in and asks it for its interfaces, and offers what a
// host hands a plug-in: byte streams, parameter-change queues, a component handler that
// records its calls, and a view frame with a run loop.
#pragma once

#include "plugin/vst3/Vst3Interface.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The module the tests load: the one the build made, or the one a test program's arguments
// name (the Windows builds under Wine).
std::string& testModulePath();

// The module, loaded for the object's life.
class Vst3Module
{
  public:
    explicit Vst3Module(const std::string& path);
    ~Vst3Module();
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    // Null when the module did not load, its entry refused or it has no factory.
    vst3::IPluginFactory2* factory() const { return factory_; }
    const std::string& error() const { return error_; }

  private:
    void* library_ = nullptr;
    vst3::IPluginFactory2* factory_ = nullptr;
    std::string error_;
};

// A host's base for the objects it hands the plug-in: they live on the test's stack.
template <typename Interface> class HostObject : public Interface
{
  public:
    vst3::tresult VST3_CALL queryInterface(const vst3::TUID, void** object) override
    {
        *object = nullptr;
        return vst3::kNoInterface;
    }
    uint32_t VST3_CALL addRef() override { return 1; }
    uint32_t VST3_CALL release() override { return 1; }
};

// One plug-in object, seen through each of its interfaces; released with the instance.
struct Vst3Instance
{
    Vst3Instance(vst3::IPluginFactory2& factory, const vst3::Uid& classId);
    ~Vst3Instance();
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    // initialize, the stereo buses, setupProcessing at rate with block frames, setActive and
    // setProcessing; false when any of them refuses.
    bool start(double rate, int block);

    vst3::IComponent* component = nullptr;
    vst3::IAudioProcessor* processor = nullptr;
    vst3::IEditController* controller = nullptr;
    vst3::IUnitInfo* units = nullptr;
};

// Bytes in memory; reads and writes take at most `step` bytes a call, as some hosts' streams.
class MemoryStream : public HostObject<vst3::IBStream>
{
  public:
    explicit MemoryStream(std::string bytes = {}, int step = 1 << 30)
        : bytes_(std::move(bytes)), step_(step)
    {
    }
    vst3::tresult VST3_CALL read(void* buffer, int32_t bytes, int32_t* bytesRead) override;
    vst3::tresult VST3_CALL write(void* buffer, int32_t bytes, int32_t* bytesWritten) override;
    vst3::tresult VST3_CALL seek(int64_t position, int32_t mode, int64_t* result) override;
    vst3::tresult VST3_CALL tell(int64_t* position) override;

    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
    size_t position_ = 0;
    int step_;
};

// One parameter's points in a block.
class ValueQueue : public HostObject<vst3::IParamValueQueue>
{
  public:
    static constexpr int kCapacity = 64;
    void reset(vst3::ParamID id)
    {
        id_ = id;
        count_ = 0;
    }
    vst3::ParamID VST3_CALL getParameterId() override { return id_; }
    int32_t VST3_CALL getPointCount() override { return count_; }
    vst3::tresult VST3_CALL getPoint(int32_t index, int32_t& offset, double& value) override;
    vst3::tresult VST3_CALL addPoint(int32_t offset, double value, int32_t& index) override;

  private:
    vst3::ParamID id_ = 0;
    int32_t count_ = 0;
    int32_t offsets_[kCapacity] = {};
    double values_[kCapacity] = {};
};

// The block's changes, a queue per parameter; no allocation while they are added.
class ParameterChanges : public HostObject<vst3::IParameterChanges>
{
  public:
    static constexpr int kCapacity = 32;
    void clear() { count_ = 0; }
    void add(vst3::ParamID id, int32_t offset, double value);
    int32_t VST3_CALL getParameterCount() override { return count_; }
    vst3::IParamValueQueue* VST3_CALL getParameterData(int32_t index) override;
    vst3::IParamValueQueue* VST3_CALL addParameterData(const vst3::ParamID& id,
                                                       int32_t& index) override;

  private:
    ValueQueue queues_[kCapacity];
    int32_t count_ = 0;
};

// Records the plug-in's calls as "begin 24", "perform 24", "end 24", "restart 8".
class RecordingHandler : public HostObject<vst3::IComponentHandler>
{
  public:
    vst3::tresult VST3_CALL beginEdit(vst3::ParamID id) override;
    vst3::tresult VST3_CALL performEdit(vst3::ParamID id, double value) override;
    vst3::tresult VST3_CALL endEdit(vst3::ParamID id) override;
    vst3::tresult VST3_CALL restartComponent(int32_t flags) override;

    std::vector<std::string> calls;
    std::vector<double> performed;
    // Runs on every call, after it is recorded: a host's reaction.
    std::function<void()> onCall;
};

// Processes stereo float blocks through an instance.
void processBlock(vst3::IAudioProcessor& processor, float* left, float* right, int frames,
                  vst3::IParameterChanges* changes = nullptr);

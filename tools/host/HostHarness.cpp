#include "tools/host/HostHarness.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace
{
std::mutex registryMutex;
std::map<AEffect*, HostHarness*> registry;
// The host whose entry-point call is running on this thread: the plug-in calls back
// before its record is known.
thread_local HostHarness* creatingHost = nullptr;

HostHarness* hostOf(AEffect* effect)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    auto found = registry.find(effect);
    return found != registry.end() ? found->second : creatingHost;
}
} // namespace

HostHarness::HostHarness()
{
    answers_[audioMasterVersion] = 2400;
}

HostHarness::~HostHarness()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    for (AEffect* effect : effects_)
        registry.erase(effect);
}

void HostHarness::setAnswer(VstInt32 opcode, VstIntPtr answer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[opcode] = answer;
}

void HostHarness::setReaction(VstInt32 opcode, std::function<void(AEffect*)> reaction)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (reaction)
        reactions_[opcode] = std::move(reaction);
    else
        reactions_.erase(opcode);
}

AEffect* HostHarness::create(PluginEntry entry)
{
    if (!entry)
        return nullptr;
    creatingHost = this;
    AEffect* effect = entry(&HostHarness::callback);
    creatingHost = nullptr;
    if (effect)
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        registry[effect] = this;
        effects_.push_back(effect);
    }
    return effect;
}

std::vector<HostCall> HostHarness::calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

int HostHarness::count(VstInt32 opcode) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(std::count_if(calls_.begin(), calls_.end(),
                             [opcode](const HostCall& call) { return call.opcode == opcode; }));
}

void HostHarness::clearCalls()
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

VstIntPtr HostHarness::record(const HostCall& call)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    auto answer = answers_.find(call.opcode);
    return answer != answers_.end() ? answer->second : 0;
}

void HostHarness::react(AEffect* effect, VstInt32 opcode)
{
    std::function<void(AEffect*)> reaction;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = reactions_.find(opcode);
        if (found == reactions_.end())
            return;
        reaction = found->second;
    }
    reaction(effect);
}

VstIntPtr VSTCALLBACK HostHarness::callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt)
{
    HostHarness* host = hostOf(effect);
    if (!host)
        return 0;
    HostCall call{effect, opcode, index, value, opt, {}};
    if (opcode == audioMasterCanDo && ptr)
        call.text = static_cast<const char*>(ptr);
    const VstIntPtr answer = host->record(call);
    host->react(effect, opcode);
    return answer;
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index, VstIntPtr value)
{
    char buffer[256] = {};
    dispatch(opcode, index, value, buffer);
    return std::string(buffer, strnlen(buffer, sizeof(buffer)));
}

void PluginInstance::setParameter(VstInt32 index, float value)
{
    if (effect_)
        effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(VstInt32 index)
{
    return effect_ ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginInstance::process(float** inputs, float** outputs, VstInt32 frames)
{
    if (effect_)
        effect_->processReplacing(effect_, inputs, outputs, frames);
}

VstIntPtr PluginInstance::close()
{
    if (!effect_)
        return 0;
    const VstIntPtr answer = dispatch(effClose);
    effect_ = nullptr;
    return answer;
}

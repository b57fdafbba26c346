// A minimal VST 2.4 host: creates instances through an entry point, records every call
// the plug-in makes back into it and answers them as told.
#pragma once

#include "tools/host/PluginLibrary.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct HostCall
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    std::string text; // the string argument of audioMasterCanDo
};

class HostHarness
{
  public:
    HostHarness();
    ~HostHarness();

    HostHarness(const HostHarness&) = delete;
    HostHarness& operator=(const HostHarness&) = delete;

    // What the host answers to an opcode; audioMasterVersion answers 2400 unless told
    // otherwise, everything else 0.
    void setAnswer(VstInt32 opcode, VstIntPtr answer);
    // What the host does inside the plug-in's call with this opcode, after recording it:
    // hosts that pump their own user interface there can call back into the plug-in. An
    // empty function removes the reaction.
    void setReaction(VstInt32 opcode, std::function<void(AEffect*)> reaction);
    // Calls the entry point with this host's callback; null when the plug-in refuses.
    AEffect* create(PluginEntry entry);

    std::vector<HostCall> calls() const;
    int count(VstInt32 opcode) const;
    void clearCalls();

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

  private:
    VstIntPtr record(const HostCall& call);
    void react(AEffect* effect, VstInt32 opcode);

    mutable std::mutex mutex_;
    std::map<VstInt32, VstIntPtr> answers_;
    std::map<VstInt32, std::function<void(AEffect*)>> reactions_;
    std::vector<HostCall> calls_;
    std::vector<AEffect*> effects_;
};

// One instance, driven through its AEffect record only; closed when destroyed.
class PluginInstance
{
  public:
    explicit PluginInstance(AEffect* effect) : effect_(effect) {}
    ~PluginInstance() { close(); }

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* effect() const { return effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // Sends a text query (name, vendor, program name...) and returns the text written.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);
    void process(float** inputs, float** outputs, VstInt32 frames);
    // Sends effClose and forgets the record; answers what the plug-in answered.
    VstIntPtr close();

  private:
    AEffect* effect_;
};

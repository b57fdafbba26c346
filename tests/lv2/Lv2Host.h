// A small LV2 host for the tests: loads the built plug-in library as a host does, maps URIs,
// and runs an instance with its controls, latency and ceiling ports connected.
#pragma once

#include "plugin/lv2/Lv2Ports.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The URI map hosts give plug-ins; ids start at 1. A failing map answers 0 for one URI.
class UridMap
{
  public:
    explicit UridMap(std::string failing = {});
    LV2_URID map(const std::string& uri);
    const LV2_Feature* feature() const { return &feature_; }

  private:
    static LV2_URID mapEntry(LV2_URID_Map_Handle handle, const char* uri);
    std::string failing_;
    std::map<std::string, LV2_URID> ids_;
    LV2_URID_Map map_{};
    LV2_Feature feature_{};
};

// The saved state of an instance: what it stored, by key.
struct SavedState
{
    struct Value
    {
        std::vector<char> bytes;
        uint32_t type;
        uint32_t flags;
    };
    std::map<uint32_t, Value> values;

    static LV2_State_Status store(LV2_State_Handle handle, uint32_t key, const void* value,
                                  size_t size, uint32_t type, uint32_t flags);
    static const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                                uint32_t* flags);
};

class Lv2Library
{
  public:
    // The built plug-in library; fails the test when it cannot be loaded.
    Lv2Library();
    ~Lv2Library();
    const LV2_Descriptor* descriptor() const { return descriptor_; }

  private:
    void* handle_ = nullptr;
    const LV2_Descriptor* descriptor_ = nullptr;
};

class Lv2Instance
{
  public:
    // Instantiated at the rate with the URI map (or without features) and activated; every
    // control at the default the bundle describes, the ceiling off.
    Lv2Instance(const Lv2Library& library, double sampleRate, UridMap* map = nullptr);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool valid() const { return handle_ != nullptr; }
    LV2_Handle handle() const { return handle_; }
    // A parameter's port (13 to 27), in real units.
    void setControl(int index, float real) { controls_[index - lv2::kFirstPortParameter] = real; }
    void setCeiling(float dBTP) { ceiling_ = dBTP; }
    void connect(uint32_t port, void* data) { descriptor_->connect_port(handle_, port, data); }
    float latency() const { return latency_; }
    // Runs blocks of at most blockFrames over the channels, in place when inPlace is set.
    void process(std::vector<float>& left, std::vector<float>& right, int blockFrames,
                 bool inPlace = false);
    void activate();

    const LV2_State_Interface* state() const;

  private:
    const LV2_Descriptor* descriptor_;
    LV2_Handle handle_ = nullptr;
    float controls_[lv2::kParameterPorts] = {};
    float latency_ = -1.0f;
    float ceiling_ = 0.0f;
};

// The default the bundle gives a parameter's port: the knob's default.
float portDefault(int index);

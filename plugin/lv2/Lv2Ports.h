// The ports of the LV2 edition in index order: the audio, one control for each host-facing
// parameter (13 to 27), the reported latency, the true-peak ceiling and the notifications to
// the host. Hosts keep sessions and presets by the symbols, so they never change; new ports
// come at the end.
#pragma once

#include "engine/ControlTable.h"

#include <cstdint>

namespace lv2
{
enum Port : uint32_t
{
    kPortInputLeft = 0,
    kPortInputRight = 1,
    kPortOutputLeft = 2,
    kPortOutputRight = 3,
    kFirstParameterPort = 4,
    kPortLatency = 19,
    kPortTruePeakCeiling = 20,
    kPortNotify = 21,
    kPortCount = 22,
};

constexpr int kFirstPortParameter = kParamBypass;
constexpr int kParameterPorts = kNumParameters - kFirstPortParameter;
static_assert(kFirstParameterPort + kParameterPorts == kPortLatency);

constexpr const char* kParameterSymbols[kParameterPorts] = {
    "bypass",       "threshold_low", "threshold_mid", "threshold_hi", "gain_low",
    "gain_mid",     "gain_hi",       "crossover_low", "crossover_hi", "attack_time",
    "release_time", "limiter_gain",  "output_gain",   "safeclip",     "sens",
};
constexpr char kLatencySymbol[] = "latency";
constexpr char kTruePeakCeilingSymbol[] = "true_peak_ceiling";
constexpr char kNotifySymbol[] = "notify";
// The ceiling port's values: its bottom (and default) switches the true-peak stage off; from
// -6 dBTP up the stage holds the output's true peak below it, in steps of 0.1 dB.
constexpr double kCeilingOffDb = -6.5;
constexpr double kCeilingStepDb = 0.1;

constexpr bool isParameterPort(uint32_t port)
{
    return port >= kFirstParameterPort && port < kFirstParameterPort + kParameterPorts;
}
constexpr int parameterOfPort(uint32_t port)
{
    return int(port - kFirstParameterPort) + kFirstPortParameter;
}
constexpr uint32_t portOfParameter(int index)
{
    return uint32_t(index - kFirstPortParameter) + kFirstParameterPort;
}
constexpr bool hasPort(int index)
{
    return index >= kFirstPortParameter && index < kNumParameters;
}
} // namespace lv2

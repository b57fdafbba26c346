// The ports of the LV2 edition in index order: the audio, one control for each host-facing
// control, the reported latency, the true-peak ceiling and the notifications to the host.
// Hosts keep sessions and presets by the symbols (the controls' and the ceiling's are their
// records'), so they never change; new ports come at the end.
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

constexpr int kFirstPortParameter = kFirstHostControl;
constexpr int kParameterPorts = kHostControlCount;
static_assert(kFirstParameterPort + kParameterPorts == kPortLatency);

constexpr char kLatencySymbol[] = "latency";
constexpr char kNotifySymbol[] = "notify";

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

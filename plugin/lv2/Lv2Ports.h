// The ports of the LV2 edition in index order: the audio, one control for each host-facing
// control, the reported latency and the true-peak ceiling. The controls' and the ceiling's
// symbols are their records'.
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
    kPortCount = 21,
};

constexpr int kFirstPortParameter = kFirstHostControl;
constexpr int kParameterPorts = kHostControlCount;
static_assert(kFirstParameterPort + kParameterPorts == kPortLatency);

constexpr char kLatencySymbol[] = "latency";

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

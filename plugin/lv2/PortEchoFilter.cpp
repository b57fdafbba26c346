#include "plugin/lv2/PortEchoFilter.h"

#include <bit>

void CPortEchoFilter::wrote(float value, uint32_t nowMs)
{
    if (count_ == kDepth)
    {
        oldest_ = (oldest_ + 1) % kDepth;
        --count_;
    }
    written_[(oldest_ + count_) % kDepth] = std::bit_cast<uint32_t>(value);
    ++count_;
    lastWriteMs_ = nowMs;
}

bool CPortEchoFilter::isEcho(float value, uint32_t nowMs)
{
    if (nowMs - lastWriteMs_ > kEchoWindowMs)
        count_ = 0;
    const auto bits = std::bit_cast<uint32_t>(value);
    for (int i = 0; i < count_; ++i)
    {
        if (written_[(oldest_ + i) % kDepth] != bits)
            continue;
        oldest_ = (oldest_ + i + 1) % kDepth;
        count_ -= i + 1;
        return true;
    }
    return false;
}

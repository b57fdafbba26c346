// The editor's changes on their way to the audio thread, or to the host's flush while nothing
// processes: which settings the user changed and which gestures began and ended, so that the
// host hears each gesture's begin, its latest value and its end, in that order. The editor's
// thread writes, one consuming thread at a time reads; nothing waits.
#pragma once

#include "core/ParameterValues.h"

#include <atomic>
#include <cstdint>

class EditorChanges
{
  public:
    enum class Kind
    {
        kGestureBegin,
        kValue,
        kGestureEnd,
    };

    // ------------------------------------------------------------ the editor's thread
    void changed(int index);
    void gestureBegins(int index);
    void gestureEnds(int index);

    // ------------------------------------------------------------ the consuming thread
    // Hands every waiting change to report(kind, index), each setting's in order.
    template <class Report> void drain(Report&& report)
    {
        const uint32_t changed = changed_.exchange(0, std::memory_order_acquire);
        for (int index = 0; index < kCount; ++index)
        {
            const uint32_t begins = begins_[index].load(std::memory_order_acquire);
            const bool held = held_[index].load(std::memory_order_acquire);
            if (begins != beginsSeen_[index])
            {
                // A gesture that ended and a new one that began since the last drain.
                if (reportedHeld_[index])
                    report(Kind::kGestureEnd, index);
                report(Kind::kGestureBegin, index);
                beginsSeen_[index] = begins;
                reportedHeld_[index] = true;
            }
            if (changed & (1u << index))
                report(Kind::kValue, index);
            if (!held && reportedHeld_[index])
            {
                report(Kind::kGestureEnd, index);
                reportedHeld_[index] = false;
            }
        }
    }

  private:
    static constexpr int kCount = CParameterValues::kCount;
    static_assert(kCount <= 32, "one bit of changed_ for each setting");

    static bool isIndex(int index) { return index >= 0 && index < kCount; }

    std::atomic<uint32_t> changed_{0};
    std::atomic<uint32_t> begins_[kCount] = {};
    std::atomic<bool> held_[kCount] = {};
    uint32_t beginsSeen_[kCount] = {};
    bool reportedHeld_[kCount] = {};
};

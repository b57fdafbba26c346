// Tells a host's echoes of the editor's own writes to a control port from changes made
// elsewhere. Hosts report every port change back to the user interface, often late (after a
// whole drag); an echo taken as a change would move the knob back to where it was some writes
// ago, or snap it to a half-decibel step under a fine wheel turn.
#pragma once

#include <cstdint>

class CPortEchoFilter
{
  public:
    // Enough for the writes of a long drag over a continuous control.
    static constexpr int kDepth = 1024;
    // Echoes arrive this long after the last write at most; later reports are changes.
    static constexpr uint32_t kEchoWindowMs = 1000;

    // Notes a value the editor wrote at the time now (milliseconds).
    void wrote(float value, uint32_t nowMs);
    // True when a reported value is the echo of a write; that write and the ones before it
    // are forgotten then.
    bool isEcho(float value, uint32_t nowMs);

  private:
    uint32_t written_[kDepth] = {};
    int oldest_ = 0;
    int count_ = 0;
    uint32_t lastWriteMs_ = 0;
};

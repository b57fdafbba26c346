// CSafeClip: the output stage. It delays the signal by 15 samples and, when enabled, limits
// each channel softly below full scale while the sample being output or one of the 15 after it
// exceeds 1.0 in magnitude, looking ahead over those 16 samples with a fixed weight window.
#pragma once

#include "engine/ClipGain.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>

struct StereoSample
{
    double left;
    double right;
};

// A new stage runs at kDefaultSampleRate, enabled, with release kClipReleaseMs, knee start
// kKneeStart and empty delay lines.
//
// Threads: `setEnabled` may be called on any thread; the audio thread reads the flag with
// `pullSettings` once per chunk, before the chunk's `process` calls. Everything else is
// configured only while nothing processes.
class CSafeClip
{
  public:
    static constexpr int kDelayFrames = 15;
    // The largest magnitude a limited output reaches: 16383/16384.
    static constexpr double kCeiling = 0.99993896484375;
    // Look-ahead weights, from the sample being output (k = 0) to the newest (k = 15).
    static constexpr std::array<double, 16> kLookAheadWeights = {
        1.0,          0.9914865494, 0.9662361145, 0.9251085520, 0.8695044518, 0.8013172746,
        0.7228692174, 0.6368314624, 0.5461342335, 0.4538657665, 0.3631685674, 0.2771307826,
        0.1986827403, 0.1304955333, 0.0748914704, 0.0337638818};

    CSafeClip();

    // Gives the knee start T to both channels' knees, solved for kFullScaleInput. A T that is
    // not strictly between 0 and 1 is ignored: the knee must start below full scale.
    void setThreshold(double kneeStart);
    // Gives the rate to both channels, which recompute their release coefficients.
    // A rate that is not positive is ignored.
    void setSampleRate(int rate);
    // Release time (ms) of both channels.
    void setRelease(double ms);
    // Delay lines and trigger flags 0, write position 0, read position 1, both gains 1.
    void reset();

    // Any thread. While disabled the delay goes on; trigger flags, excess lines and gains
    // stay as they were until it is enabled again.
    void setEnabled(bool enabled) { enabled_.store(enabled ? 1 : 0, std::memory_order_relaxed); }

    // Audio thread: takes the enabled flag for the coming chunk.
    void pullSettings() { enabledInUse_ = enabled_.load(std::memory_order_relaxed); }

    // Audio thread: one stereo sample in, the one of kDelayFrames calls earlier out, limited
    // and scaled by kCeiling when enabled.
    StereoSample process(double left, double right)
    {
        write_ = (write_ + 1) & kSlotMask;
        read_ = (read_ + 1) & kSlotMask;
        store(left_.sample, left);
        store(right_.sample, right);
        if (enabledInUse_ == 0)
        {
            return {left_.sample[read_], right_.sample[read_]};
        }
        detect(left_, left);
        detect(right_, right);
        const double outLeft = left_.gain.gainFor(lookAheadLevel(left_)) * left_.sample[read_];
        const double outRight = right_.gain.gainFor(lookAheadLevel(right_)) * right_.sample[read_];
        return {outLeft * kCeiling, outRight * kCeiling};
    }

  private:
    static constexpr int kSlots = 16;
    static constexpr int kSlotMask = kSlots - 1;
    // The look-ahead level starts from this literal, while the excess is measured from the
    // knee start (the single-precision 0.8): the two differ by 1.2e-8 on purpose.
    static constexpr double kLookAheadBase = 0.8;

    // Each ring holds 16 slots twice, at p and p + 16, so 16 slots from any position can be
    // read without wrapping.
    using Ring = std::array<double, 2 * kSlots>;

    struct Channel
    {
        CClipGain gain;
        std::uint16_t triggers = 0; // bit 0: the newest sample exceeded 1.0
        Ring excess{};
        Ring sample{};
    };

    void store(Ring& ring, double value)
    {
        ring[write_] = value;
        ring[write_ + kSlots] = value;
    }

    void detect(Channel& channel, double in)
    {
        const double magnitude = std::fabs(in);
        store(channel.excess, magnitude > kneeStart_ ? magnitude - kneeStart_ : 0.0);
        channel.triggers =
            static_cast<std::uint16_t>((channel.triggers << 1) | (magnitude > 1.0 ? 1 : 0));
    }

    double lookAheadLevel(const Channel& channel) const
    {
        if (channel.triggers == 0)
        {
            return kLookAheadBase;
        }
        // The largest weighted excess, gathered in four lanes that the compiler can run as
        // vector operations: the maximum of non-negative values does not depend on the order.
        const double* excess = channel.excess.data() + read_;
        double lanes[4] = {0.0, 0.0, 0.0, 0.0};
        for (int k = 0; k < kSlots; k += 4)
        {
            for (int j = 0; j < 4; ++j)
            {
                const double weighted = kLookAheadWeights[k + j] * excess[k + j];
                lanes[j] = weighted > lanes[j] ? weighted : lanes[j];
            }
        }
        const double firstPair = lanes[0] > lanes[1] ? lanes[0] : lanes[1];
        const double secondPair = lanes[2] > lanes[3] ? lanes[2] : lanes[3];
        const double largest = firstPair > secondPair ? firstPair : secondPair;
        return kLookAheadBase + largest;
    }

    Channel left_;
    Channel right_;
    std::atomic<int> enabled_{1};
    int enabledInUse_ = 1;
    int write_ = 0;
    int read_ = 1;
    double kneeStart_ = kKneeStart;
};

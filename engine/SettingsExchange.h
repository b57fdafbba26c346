// Hands a set of settings from the threads that change parameters to the audio thread as a
// whole: the audio thread sees either the previous set or the new one, never a mix of both.
#pragma once

#include <array>
#include <atomic>
#include <type_traits>

// A triple buffer. Writers (any thread but the audio thread) are serialised by a tiny spin lock
// and keep the newest set in a copy of their own, so that a setter can change one field of it
// and publish the whole. The single reader, the audio thread, never locks or waits.
template <typename T> class SettingsExchange
{
    static_assert(std::is_trivially_copyable_v<T>, "settings are copied as plain data");

  public:
    explicit SettingsExchange(const T& initial = T{})
        : latest_(initial), slots_{initial, initial, initial}
    {
    }

    SettingsExchange(const SettingsExchange&) = delete;
    SettingsExchange& operator=(const SettingsExchange&) = delete;

    // Replaces the whole set and publishes it. Any thread but the audio thread.
    void publish(const T& settings)
    {
        modify([&settings](T& latest) { latest = settings; });
    }

    // Lets `change` edit the newest set in place, then publishes the result. Read-modify-publish
    // happens under the writers' lock, so two setters changing different fields both survive.
    template <typename Change> void modify(Change&& change)
    {
        while (writing_.test_and_set(std::memory_order_acquire))
        {
        }
        change(latest_);
        slots_[back_] = latest_;
        back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndexMask;
        writing_.clear(std::memory_order_release);
    }

    // Copies the newest published set into `settings` if one arrived since the last pull.
    // Audio thread only; wait-free.
    bool pull(T& settings)
    {
        if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0)
        {
            return false;
        }
        front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndexMask;
        settings = slots_[front_];
        return true;
    }

  private:
    static constexpr unsigned kIndexMask = 3;
    static constexpr unsigned kFresh = 4;

    std::atomic_flag writing_; // clear when constructed
    T latest_;
    unsigned back_ = 1; // the writers' slot
    std::array<T, 3> slots_;
    unsigned front_ = 0;              // the reader's slot
    std::atomic<unsigned> middle_{2}; // the slot in between, and whether it is new
};

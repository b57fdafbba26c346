// Sets the processor's flush-to-zero and denormals-are-zero modes for one scope and
// restores the caller's modes on leaving it, so that decaying filter and limiter states
// never slow the audio path down with denormal arithmetic.
#pragma once

#if defined(__SSE2__) || defined(__x86_64__)
#include <xmmintrin.h>

class DenormalGuard
{
  public:
    DenormalGuard() : saved_(_mm_getcsr())
    {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() { _mm_setcsr(saved_); }

    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

  private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
};
#else
class DenormalGuard
{
};
#endif

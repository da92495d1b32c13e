// The clock seam: millisecond ticks like GetTickCount, and sleeping.
#pragma once

#include <cstdint>

namespace kx {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like GetTickCount.
    virtual uint32_t TickMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// The real clock of the running system.
Clock& SystemClock();

}  // namespace kx

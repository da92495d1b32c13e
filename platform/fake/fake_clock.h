// A clock that moves only when told to; sleeping advances it.
#pragma once

#include <atomic>

#include "platform/clock.h"

namespace kx {

class FakeClock final : public Clock {
public:
    explicit FakeClock(uint32_t start = 100000) : now_(start) {}
    uint32_t TickMs() override { return now_.load(); }
    void SleepMs(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }

private:
    std::atomic<uint32_t> now_;
};

}  // namespace kx

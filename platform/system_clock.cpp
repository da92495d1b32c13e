#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace kx {
namespace {

class SteadyClock final : public Clock {
public:
    uint32_t TickMs() override {
        using namespace std::chrono;
        return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;  // stateless
    return clock;
}

}  // namespace kx

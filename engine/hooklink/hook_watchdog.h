// Windows removes a low-level hook, without a word, when its callback once
// takes longer than the system's timeout. The hook module checks every second
// whether input arrived that its callbacks never saw, and then installs the
// hooks again.
#pragma once

#include <cstdint>

namespace kx {

class HookWatchdog {
public:
    // Input this much newer than the last callback means a hook is gone.
    static constexpr uint32_t kMissedInputMs = 500;
    // The callback of the latest input gets this long to run before we judge.
    static constexpr uint32_t kSettleMs = 250;

    // `now`, `lastInput` (GetLastInputInfo) and `lastCallback` are tick
    // counts of the same clock; wrap-around is handled. Returns true when the
    // hooks should be installed again, and then treats `now` as the last
    // callback, so one lost hook is mended once.
    bool Check(uint32_t now, uint32_t lastInput, uint32_t& lastCallback);
};

}  // namespace kx

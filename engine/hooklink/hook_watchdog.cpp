#include "engine/hooklink/hook_watchdog.h"

namespace kx {

bool HookWatchdog::Check(uint32_t now, uint32_t lastInput, uint32_t& lastCallback) {
    // Signed differences survive the 49.7-day wrap of the tick count.
    const int32_t unseen = int32_t(lastInput - lastCallback);
    const int32_t age = int32_t(now - lastInput);
    if (unseen <= int32_t(kMissedInputMs) || age < int32_t(kSettleMs)) return false;
    lastCallback = now;
    return true;
}

}  // namespace kx

#include "engine/output/key_sequences.h"

#include <vector>

namespace kx::keys {
namespace {

class Sequence {
public:
    explicit Sequence(KeyPorts p) : p_(p), time_(p.clock.TickMs()) {}
    Sequence& Down(uint16_t key, uint32_t flags = 0) { return Add(key, flags); }
    Sequence& Up(uint16_t key, uint32_t flags = 0) { return Add(key, flags | keyflag::kKeyUp); }
    Sequence& Tap(uint16_t key, uint32_t flags = 0) { return Down(key, flags).Up(key, flags); }
    bool Send() { return p_.injector.SendInput(records_) == records_.size(); }

private:
    Sequence& Add(uint16_t key, uint32_t flags) {
        records_.push_back(KeyRecord{key, 0, flags, time_});
        return *this;
    }

    KeyPorts p_;
    uint32_t time_;
    std::vector<KeyRecord> records_;
};

bool TapTimes(KeyPorts p, uint16_t key, unsigned taps) {
    for (unsigned i = 0; i < taps; ++i)
        if (!Sequence(p).Tap(key).Send()) return false;
    return true;
}

}  // namespace

bool SendBackspaces(KeyPorts p, unsigned n) { return TapTimes(p, vk::kBack, n + 1); }

bool TapKeyTwice(KeyPorts p, uint16_t key) { return TapTimes(p, key, 2); }

bool SelectLeft(KeyPorts p, unsigned n) {
    Sequence s(p);
    s.Down(vk::kShift);
    for (unsigned i = 0; i < n; ++i) s.Tap(vk::kLeft, keyflag::kExtended);
    return s.Up(vk::kShift).Send();
}

bool SendCtrlV(KeyPorts p) { return Sequence(p).Down(vk::kControl).Tap(vk::kV).Up(vk::kControl).Send(); }

bool SendDoubleSpaceFix(KeyPorts p) {
    return Sequence(p).Tap(vk::kBack).Tap(vk::kBack).Tap(vk::kOemPeriod).Tap(vk::kSpace).Send();
}

void ReleaseShift(KeyInjector& injector) {
    if (injector.KeyState(vk::kShift) >= 0) return;
    const uint32_t up = keyflag::kExtended | keyflag::kKeyUp;
    injector.KeybdEvent(uint8_t(vk::kLeftShift), 0x2A, up);
    injector.KeybdEvent(uint8_t(vk::kRightShift), 0x36, up);
    injector.KeybdEvent(uint8_t(vk::kShift), 0x2A, keyflag::kKeyUp);
}

}  // namespace kx::keys

// Injected keys and window messages through the real input stream.
#pragma once

#include "platform/key_injector.h"

namespace kx {

// Every key we inject carries this in dwExtraInfo. The hook modules let such
// keys through untouched and never report them, even while they hold back
// the user's keys for the expansion these keys type.
inline constexpr uintptr_t kInjectedKeyMark = 0x4B58F00Du;

class Win32KeyInjector final : public KeyInjector {
public:
    unsigned SendInput(std::span<const KeyRecord> records) override;
    void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) override;
    int16_t KeyState(int vk) override;
    bool PostCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) override;
    bool SetForeground(WindowHandle window) override;
    bool OwnKeysReported() const override { return false; }
};

}  // namespace kx

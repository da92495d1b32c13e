// The input seam: injected keyboard events, the keyboard state, and the
// window messages and activation that go with putting text into a window.
#pragma once

#include <cstdint>
#include <span>

#include "platform/window_query.h"

namespace kx {

// One keyboard record of SendInput (type keyboard). The Win32 injector marks
// every record as ours in its extra information.
struct KeyRecord {
    uint16_t vk = 0;
    uint16_t scan = 0;
    uint32_t flags = 0;
    uint32_t time = 0;
    friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

namespace keyflag {
inline constexpr uint32_t kExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
inline constexpr uint32_t kKeyUp = 0x0002;     // KEYEVENTF_KEYUP
}  // namespace keyflag

namespace vk {
inline constexpr uint16_t kBack = 0x08;
inline constexpr uint16_t kShift = 0x10;
inline constexpr uint16_t kControl = 0x11;
inline constexpr uint16_t kSpace = 0x20;
inline constexpr uint16_t kLeft = 0x25;
inline constexpr uint16_t kDelete = 0x2E;
inline constexpr uint16_t kV = 0x56;
inline constexpr uint16_t kLeftShift = 0xA0;
inline constexpr uint16_t kRightShift = 0xA1;
inline constexpr uint16_t kOemPeriod = 0xBE;
}  // namespace vk

inline constexpr uint32_t kWmCommand = 0x0111;

class KeyInjector {
public:
    virtual ~KeyInjector() = default;
    // Inserts the records into the input stream in one call; returns how
    // many were inserted.
    virtual unsigned SendInput(std::span<const KeyRecord> records) = 0;
    // The older single-event call, kept for the SHIFT release.
    virtual void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) = 0;
    // GetKeyState: negative while the key is down.
    virtual int16_t KeyState(int vk) = 0;
    // Posts WM_COMMAND with the given parameters; false when the post fails.
    virtual bool PostCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) = 0;
    // Makes the window the foreground window again; false when refused.
    virtual bool SetForeground(WindowHandle window) = 0;
    // Whether keys injected here can come back to the matcher as key events.
    // Ours are marked, and the hook module never reports marked keys.
    virtual bool OwnKeysReported() const { return true; }
};

}  // namespace kx

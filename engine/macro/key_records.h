// The keyboard input records that macro commands build, in the injector's
// own record form so the runner sends them as they are.
#pragma once

#include <cstdint>

#include "platform/key_injector.h"

namespace kx {

inline constexpr uint32_t kUnicodeKeyFlag = 0x0004;  // KEYEVENTF_UNICODE

// A key by its virtual-key code, pressed.
inline KeyRecord VirtualKeyRecord(uint16_t vk) { return KeyRecord{vk, 0, 0, 0}; }
// A character sent as itself (it arrives as VK_PACKET), pressed.
inline KeyRecord UnicodeKeyRecord(char16_t c) { return KeyRecord{0, uint16_t(c), kUnicodeKeyFlag, 0}; }
// The release of a pressed record.
inline KeyRecord Released(KeyRecord r) {
    r.flags |= keyflag::kKeyUp;
    return r;
}

}  // namespace kx

// How the hook modules turn a low-level keyboard event into a KeyEvent. Kept
// apart from the hook callback so the rules can be checked without hooks.
#pragma once

#include <cstdint>

#include "engine/matcher/key_event.h"

namespace kx {

// What the hook callback saw, captured at once so that the translation can
// run later on another thread.
struct RawKey {
    uint32_t vk = 0;
    uint32_t scan = 0;       // for VK_PACKET: the UTF-16 unit typed
    bool isUp = false;       // from the hook's message, not its flags
    bool extended = false;
    bool shift = false, ctrl = false, alt = false, capsLock = false;
    uint8_t focus = 0;       // the event's focus bits, judged at the press
    bool lowerLevel = false; // typed by a program of a lower integrity level
};

// The keyboard layout of the window the key goes to.
class KeyTranslator {
public:
    virtual ~KeyTranslator() = default;
    // The characters the key gives with these modifiers, as ToUnicodeEx counts
    // them (negative for a dead key), never disturbing a pending dead key.
    virtual int ToChars(uint32_t vk, uint32_t scan, bool shift, bool ctrl, bool alt, bool capsLock,
                        char16_t* out, int capacity) = 0;
};

inline constexpr uint32_t kVkPacket = 0xE7;

// Key releases carry no character, so no release can fire a combination a
// second time. A key pressed with only one of CTRL and ALT carries the
// character it gives without them (CTRL+M arrives with 'm'); with both held
// it carries the AltGr character, or none when the layout has none (CTRL+ALT+M
// arrives with 0 and is matched by its key code). The left/right codes of
// SHIFT, CTRL and ALT become the generic ones, and the right ALT sets
// modifier bit 0x20 so that AltGr alone does not end the word.
KeyEvent BuildKeyEvent(const RawKey& raw, KeyTranslator& translator);

}  // namespace kx

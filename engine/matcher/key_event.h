// One keyboard event as the hook module reports it, and its 16-byte wire form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kx {

namespace mod {
inline constexpr uint8_t kShift = 0x01;
inline constexpr uint8_t kAlt = 0x08;
inline constexpr uint8_t kAltFlag = 0x20;  // only the ALT key's own classification reads it
inline constexpr uint8_t kCtrl = 0x40;
}  // namespace mod

// stateFlags bit: `position` names the character of the word the key replaces.
inline constexpr uint8_t kStateOverwrite = 0x02;
// stateFlags bit: a program of a lower integrity level typed the key (a
// sandboxed process's SendInput). Such a key may type text but never start a
// macro, whose commands can start programs at our level.
inline constexpr uint8_t kStateLowerLevel = 0x04;

// Where the keyboard focus was when the key was pressed, as the hook module
// saw it. A key read later, once the focus has moved on, is still judged by
// the control it was typed into. Without kKnown the event says nothing about
// it (the other bits are then 0).
namespace focus {
inline constexpr uint8_t kPasswordBox = 0x01;  // an Edit or TEdit with ES_PASSWORD
inline constexpr uint8_t kOwnWindow = 0x02;    // a window of the program itself
inline constexpr uint8_t kKnown = 0x80;
}  // namespace focus

struct KeyEvent {
    uint32_t vk = 0;
    char16_t ch = 0;
    uint8_t isDown = 0;
    uint8_t auxFlag = 0;
    uint8_t modifiers = 0;
    uint8_t stateFlags = 0;
    uint32_t position = 0;
    uint8_t focus = 0;  // focus:: bits

    bool shift() const { return modifiers & mod::kShift; }
    bool ctrl() const { return modifiers & mod::kCtrl; }
    bool alt() const { return modifiers & mod::kAlt; }
};

// Non-zero for a press that may end a key combination such as CTRL+ALT+M,
// as the hook module judges it from the record alone (to hold the keys that
// follow): the character the event carries, else, for a letter or digit
// pressed with CTRL or ALT that types nothing (CTRL and ALT without an AltGr
// character), the key itself. 0 for a release. The matcher names the key
// by CombinationKeyName, never by the character.
inline char16_t CombinationKey(const KeyEvent& e) {
    if (e.ch != 0 || !e.isDown || !(e.ctrl() || e.alt())) return e.ch;
    const bool letterOrDigit = (e.vk >= 0x30 && e.vk <= 0x39) || (e.vk >= 0x41 && e.vk <= 0x5A);
    return letterOrDigit ? char16_t(e.vk) : 0;
}

inline constexpr size_t kKeyEventWireSize = 16;
// Record types of WM_COPYDATA from the hook module.
inline constexpr uint32_t kRecordKeyEvent = 20;
inline constexpr uint32_t kRecordDiscardWord = 30;
inline constexpr size_t kDiscardRecordSize = 28;

// Little-endian: vk@0 (4), ch@4 (2), isDown@6, auxFlag@7, focus@8, one
// unused byte, modifiers@10, stateFlags@11, position@12 (4).
void EncodeKeyEvent(const KeyEvent& e, uint8_t out[kKeyEventWireSize]);
KeyEvent DecodeKeyEvent(const uint8_t in[kKeyEventWireSize]);

}  // namespace kx

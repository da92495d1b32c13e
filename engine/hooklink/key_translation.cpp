#include "engine/hooklink/key_translation.h"

namespace kx {
namespace {

constexpr uint32_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;
constexpr uint32_t kVkLShift = 0xA0, kVkRShift = 0xA1, kVkLControl = 0xA2, kVkRControl = 0xA3,
                   kVkLMenu = 0xA4, kVkRMenu = 0xA5;

uint32_t GenericVk(uint32_t vk) {
    switch (vk) {
        case kVkLShift: case kVkRShift: return kVkShift;
        case kVkLControl: case kVkRControl: return kVkControl;
        case kVkLMenu: case kVkRMenu: return kVkMenu;
        default: return vk;
    }
}

bool IsRightAlt(const RawKey& raw) { return raw.vk == kVkRMenu || (raw.vk == kVkMenu && raw.extended); }

// The first unit of what the key types, or 0 (dead keys and keys that type nothing).
char16_t Translate(const RawKey& raw, KeyTranslator& t, bool ctrl, bool alt) {
    char16_t buf[8] = {};
    const int n = t.ToChars(raw.vk, raw.scan, raw.shift, ctrl, alt, raw.capsLock, buf, 8);
    return n > 0 ? buf[0] : 0;
}

}  // namespace

KeyEvent BuildKeyEvent(const RawKey& raw, KeyTranslator& translator) {
    KeyEvent e;
    e.vk = GenericVk(raw.vk);
    e.isDown = raw.isUp ? 0 : 1;
    e.focus = raw.focus;
    if (raw.lowerLevel) e.stateFlags |= kStateLowerLevel;
    if (raw.shift) e.modifiers |= mod::kShift;
    if (raw.ctrl) e.modifiers |= mod::kCtrl;
    if (raw.alt) e.modifiers |= mod::kAlt;
    if (IsRightAlt(raw)) e.modifiers |= mod::kAltFlag;
    if (raw.isUp) return e;

    if (raw.vk == kVkPacket) {
        e.ch = char16_t(raw.scan);
        return e;
    }
    if (raw.ctrl && raw.alt) {
        // CTRL and ALT together are AltGr to the layout: its character is
        // typed text. Without one the key types nothing, and the word must
        // not grow by the plain letter; a combination such as CTRL+ALT+M is
        // matched from the key itself (CombinationKeyName).
        const char16_t c = Translate(raw, translator, true, true);
        e.ch = c >= 0x20 ? c : 0;
        return e;
    }
    e.ch = Translate(raw, translator, false, false);
    // With CTRL alone the layout may still give a control code; the
    // combination's own key is what the hotkey matcher wants.
    if ((raw.ctrl || raw.alt) && e.ch < 0x20) e.ch = 0;
    return e;
}

}  // namespace kx

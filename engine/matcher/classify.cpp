#include "engine/matcher/classify.h"

namespace kx {

Classified ClassifyKey(const KeyEvent& e) {
    const bool ctrl = e.ctrl(), alt = e.alt();
    // CTRL and ALT together are one key (AltGr), so only one alone makes a
    // character a command.
    const bool oneOfCtrlAlt = ctrl != alt;
    char16_t c = e.ch;
    if (c == 0) {
        const uint32_t vk = e.vk;
        bool typesNothing;
        if (vk >= 0x30 && vk <= 0x5A) typesNothing = ctrl || alt;
        else if (vk == 0x10 || vk == 0x11 || vk == 0x14 || vk == 0x90 || vk == 0x91 || (vk >= 0xAD && vk <= 0xB3))
            typesNothing = true;
        else if (vk == 0x12) typesNothing = ctrl || e.shift() || (e.modifiers & mod::kAltFlag);
        else typesNothing = false;
        if (!typesNothing) return {KeyClass::Break, kBreakDiscard};
    }
    if (IsDelimiter(c)) return {KeyClass::Break, oneOfCtrlAlt ? kBreakDiscard : kBreakLookup};
    return {KeyClass::Character, oneOfCtrlAlt ? 0u : uint32_t(c)};
}

bool IsCommandKey(const KeyEvent& e) {
    const uint32_t vk = e.vk;
    const bool modifierKey = (vk >= 0x10 && vk <= 0x12) || (vk >= 0xA0 && vk <= 0xA5);
    return e.isDown && e.ctrl() != e.alt() && !modifierKey;
}

bool IsCaretKey(uint32_t vk) { return vk >= 0x21 && vk <= 0x28; }

}  // namespace kx

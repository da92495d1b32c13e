// How a key event counts for the matcher: a word character or a break.
#pragma once

#include <cstdint>

#include "base/keyword_chars.h"
#include "engine/matcher/key_event.h"

namespace kx {

enum class KeyClass : uint8_t { Character, Break };

struct Classified {
    KeyClass cls;
    // Character: the character (8 for Backspace), or 0 for a key that types
    // nothing. Break: 10 discards the word, 11 ends it and looks it up.
    uint32_t value;
};

inline constexpr uint32_t kBreakDiscard = 10;
inline constexpr uint32_t kBreakLookup = 11;

Classified ClassifyKey(const KeyEvent& e);

// A key pressed with CTRL or ALT alone, other than a modifier key itself:
// a command to the application (select all, cut, undo, a word left...).
// CTRL and ALT together are AltGr, which types characters.
bool IsCommandKey(const KeyEvent& e);

// Arrows, Home, End, Page Up and Page Down, with or without SHIFT: the caret
// leaves the word, or a selection starts that the next key replaces.
bool IsCaretKey(uint32_t vk);

}  // namespace kx

// How the key that ends a macro's key combination is named, in the macro
// editor's field and in the matcher alike, so that a combination saved in
// the editor is the one that starts the macro, whatever the keyboard layout.
#pragma once

#include <cstdint>

namespace kx {

// Letters and digits by their virtual-key code: VK_A to VK_Z and VK_0 to
// VK_9 name the keys labelled with those letters and digits on every
// layout. Every other key by the character it types without any modifier
// (what MapVirtualKey calls the key's unshifted character), upper-cased.
// Never the character the modifiers make of it: CTRL+SHIFT+1 is "1", not
// "!", and AltGr+Q on a German keyboard is "Q", not "@". 0 for a key that
// names nothing (modifiers, function keys, Enter, Tab).
char16_t CombinationKeyName(uint32_t vk, char16_t unshifted);

// Letters and digits: named by the key code alone, no layout needed.
inline bool NamedByKeyCode(uint32_t vk) { return (vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A); }

}  // namespace kx

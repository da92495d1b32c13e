// What a US keyboard sends for a character, and the names of special keys,
// for turning readable scripts into key events.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kx {

struct UsKey {
    uint32_t vk;
    bool shift;
};

// The key (and SHIFT) that types `c`; characters a US keyboard has no key for
// arrive as VK_PACKET (0xE7), as Unicode input does.
UsKey UsKeyFor(char16_t c);

struct NamedKey {
    uint32_t vk;
    char16_t ch;  // the character the key produces, 0 for none
};

// BACK, ENTER, TAB, ESC, LEFT, RIGHT, UP, DOWN, HOME, END, DELETE, F1 to F12.
std::optional<NamedKey> NamedKeyFor(std::string_view name);

}  // namespace kx

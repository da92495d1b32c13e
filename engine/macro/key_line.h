// The parts of a "kbrd_click", "kbrd_press" or "kbrd_release" line: the
// modifier mask, the key and the hold time. Read without the keyboard
// layout, so the script check and the parser agree on what is well formed.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kx {

// Hexadecimal digits up to the first other unit, as key codes and pause
// lengths are written ("20AC", "3E8"). Saturates rather than wrapping.
struct HexNumber {
    bool any = false;  // at least one digit
    uint32_t value = 0;
};
HexNumber ReadHex(std::u16string_view token);
bool IsHexDigit(char16_t c);

namespace modifier {
inline constexpr uint8_t kCtrl = 1;
inline constexpr uint8_t kAlt = 2;
inline constexpr uint8_t kShift = 4;
}  // namespace modifier

// "100" is CTRL, "011" ALT and SHIFT: the first three units, each "0" or
// "1"; what follows them is not looked at. Nothing for any other token.
std::optional<uint8_t> ReadModifierMask(std::u16string_view token);

struct KeyLine {
    uint8_t modifiers = 0;
    bool quoted = false;  // 'c' rather than a character code
    char16_t key = 0;     // the character code, or the quoted character
    int32_t holdMs = -1;  // -1 for none
    std::u16string_view holdText;  // what follows the key, trimmed
};

// Reads the line after its keyword token; nothing when the mask or the key
// is malformed. A key is a non-zero hexadecimal code (up to FFFF) or one
// character between single quotes, a space included.
std::optional<KeyLine> ReadKeyLine(std::u16string_view line);

}  // namespace kx

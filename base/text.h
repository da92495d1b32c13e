// Text helpers shared by every layer: UTF-8 <-> UTF-16 and ASCII case rules.
//
// In memory the program holds UTF-16 (std::u16string); its own files are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx {

// Longest text a fixed 260-unit field holds (259 units plus a terminator).
inline constexpr size_t kMaxFieldChars = 259;

// Invalid UTF-8 sequences become U+FFFD; never reads past the input.
std::u16string Utf8ToUtf16(std::string_view in);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view in);

// Plain ASCII conversions for literals and tool output (non-ASCII passes through
// as its UTF-8/UTF-16 form).
inline std::u16string U16(std::string_view utf8) { return Utf8ToUtf16(utf8); }
inline std::string U8(std::u16string_view utf16) { return Utf16ToUtf8(utf16); }

// The value of a hexadecimal digit, either case; -1 for any other character.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
inline char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
std::u16string AsciiUpper(std::u16string_view s);
bool EqualsNoCaseAscii(std::u16string_view a, std::u16string_view b);
// Whether `hay` contains `needle`, both compared without regard to ASCII case.
bool ContainsNoCaseAscii(std::u16string_view hay, std::u16string_view needle);
inline bool StartsWithNoCaseAscii(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCaseAscii(s.substr(0, prefix.size()), prefix);
}
inline bool EndsWithNoCaseAscii(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCaseAscii(s.substr(s.size() - suffix.size()), suffix);
}

// Cuts to the 259 units a fixed field holds.
inline std::u16string_view CutToField(std::u16string_view s) {
    return s.size() > kMaxFieldChars ? s.substr(0, kMaxFieldChars) : s;
}

// Replaces the first "%s" in `pattern` with `arg`.
std::u16string FormatS(std::u16string_view pattern, std::u16string_view arg);

}  // namespace kx

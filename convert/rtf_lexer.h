// Splits RTF bytes into tokens: group braces, control words with their
// optional numeric parameter, control symbols, \'hh bytes, \binN data and
// plain text bytes. The lexer never fails; malformed input becomes the
// nearest sensible token and every call consumes at least one byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kx {

enum class RtfTokenKind : uint8_t {
    End,
    GroupOpen,
    GroupClose,
    ControlWord,    // \name or \nameN
    ControlSymbol,  // \ followed by one non-letter, e.g. \~ \* \{
    HexByte,        // \'hh
    Binary,         // \binN and its N raw bytes
    Text,           // one plain byte
};

struct RtfToken {
    RtfTokenKind kind = RtfTokenKind::End;
    std::string_view word;  // control word name (at most kMaxWordLength letters)
    bool hasParam = false;
    int32_t param = 0;      // clamped to the int32 range
    char symbol = 0;        // ControlSymbol
    uint8_t byte = 0;       // HexByte and Text
    std::string_view data;  // Binary
};

class RtfLexer {
public:
    // Longer control words are read whole but cut to this length.
    static constexpr size_t kMaxWordLength = 32;

    explicit RtfLexer(std::string_view input) : in_(input) {}

    RtfToken Next();
    size_t Position() const { return pos_; }

private:
    RtfToken ReadControl();

    std::string_view in_;
    size_t pos_ = 0;
};

}  // namespace kx

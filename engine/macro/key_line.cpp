#include "engine/macro/key_line.h"

#include <limits>

#include "engine/macro/macro_script.h"

namespace kx {
namespace {

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Leading decimal digits; 0 when there are none. Saturates.
int32_t ReadDecimal(std::u16string_view text) {
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        value = value * 10 + (c - u'0');
        if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    }
    return int32_t(value);
}

}  // namespace

bool IsHexDigit(char16_t c) { return DigitValue(c) >= 0; }

HexNumber ReadHex(std::u16string_view token) {
    HexNumber n;
    for (char16_t c : token) {
        const int d = DigitValue(c);
        if (d < 0) break;
        n.any = true;
        n.value = n.value > 0x0FFFFFFFu ? 0xFFFFFFFFu : (n.value << 4) | uint32_t(d);
    }
    return n;
}

std::optional<uint8_t> ReadModifierMask(std::u16string_view token) {
    if (token.size() < 3) return std::nullopt;
    constexpr uint8_t kBits[3] = {modifier::kCtrl, modifier::kAlt, modifier::kShift};
    uint8_t mask = 0;
    for (int i = 0; i < 3; ++i) {
        if (token[i] == u'1') mask |= kBits[i];
        else if (token[i] != u'0') return std::nullopt;
    }
    return mask;
}

std::optional<KeyLine> ReadKeyLine(std::u16string_view line) {
    size_t pos = 0;
    NextToken(line, pos);  // the keyword
    const std::optional<uint8_t> mask = ReadModifierMask(NextToken(line, pos));
    if (!mask) return std::nullopt;
    KeyLine k;
    k.modifiers = *mask;

    while (pos < line.size() && IsScriptSpace(line[pos])) ++pos;
    // A quoted space would otherwise fall apart into two tokens.
    if (pos + 2 < line.size() && line[pos] == u'\'' && line[pos + 2] == u'\'' &&
        (pos + 3 == line.size() || IsScriptSpace(line[pos + 3]))) {
        k.quoted = true;
        k.key = line[pos + 1];
        pos += 3;
    } else {
        const std::u16string_view token = NextToken(line, pos);
        const HexNumber code = ReadHex(token);
        if (code.any && code.value != 0) {
            // One record carries one UTF-16 unit.
            if (code.value > 0xFFFF) return std::nullopt;
            k.key = char16_t(code.value);
        } else if (token.size() == 3 && token[0] == u'\'' && token[2] == u'\'') {
            k.quoted = true;
            k.key = token[1];
        } else {
            return std::nullopt;
        }
    }
    k.holdText = TrimScriptSpace(line.substr(pos));
    const int32_t hold = ReadDecimal(k.holdText);
    k.holdMs = hold == 0 ? -1 : hold;
    return k;
}

}  // namespace kx

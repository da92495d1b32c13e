#include "tools/kxtool/us_keyboard.h"

#include <cstring>
#include <string>

namespace kx {

UsKey UsKeyFor(char16_t c) {
    if (c >= u'a' && c <= u'z') return {uint32_t(0x41 + (c - u'a')), false};
    if (c >= u'A' && c <= u'Z') return {uint32_t(0x41 + (c - u'A')), true};
    if (c >= u'0' && c <= u'9') return {uint32_t(c), false};
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    if (c < 0x80) {
        if (const char* p = std::strchr(kShiftedDigits, char(c)); p && c != 0)
            return {uint32_t(0x30 + (p - kShiftedDigits)), true};
    }
    struct Oem { char plain, shifted; uint32_t vk; };
    static constexpr Oem kOem[] = {
        {';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD}, {'.', '>', 0xBE},
        {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB}, {'\\', '|', 0xDC}, {']', '}', 0xDD},
        {'\'', '"', 0xDE},
    };
    for (const Oem& o : kOem) {
        if (c == char16_t(o.plain)) return {o.vk, false};
        if (c == char16_t(o.shifted)) return {o.vk, true};
    }
    switch (c) {
        case u' ': return {0x20, false};
        case u'\t': return {0x09, false};
        case u'\r': case u'\n': return {0x0D, false};
        case 8: return {0x08, false};
        case 27: return {0x1B, false};
    }
    return {0xE7, false};
}

std::optional<NamedKey> NamedKeyFor(std::string_view name) {
    struct Entry { const char* name; uint32_t vk; char16_t ch; };
    static constexpr Entry kKeys[] = {
        {"BACK", 0x08, 8}, {"ENTER", 0x0D, 13}, {"TAB", 0x09, 9}, {"ESC", 0x1B, 27},
        {"LEFT", 0x25, 0}, {"RIGHT", 0x27, 0}, {"UP", 0x26, 0}, {"DOWN", 0x28, 0},
        {"HOME", 0x24, 0}, {"END", 0x23, 0}, {"DELETE", 0x2E, 0},
    };
    for (const Entry& e : kKeys)
        if (name == e.name) return NamedKey{e.vk, e.ch};
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
        int n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + (c - '0');
        }
        if (n >= 1 && n <= 12) return NamedKey{uint32_t(0x6F + n), 0};
    }
    return std::nullopt;
}

}  // namespace kx

#include "engine/output/upper_case.h"

namespace kx {
namespace {

bool In(char16_t c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

// Ranges where capital and small letters alternate. `capitalEven` says
// whether the capital has the even code.
char16_t Paired(char16_t c, bool capitalEven) {
    const bool even = (c & 1) == 0;
    return even == capitalEven ? c : char16_t(c - 1);
}

char16_t LatinExtended(char16_t c) {
    if (c == 0x0131) return u'I';  // dotless i
    if (c == 0x017F) return u'S';  // long s
    if (In(c, 0x0100, 0x012F) || In(c, 0x0132, 0x0137) || In(c, 0x014A, 0x0177)) return Paired(c, true);
    if (In(c, 0x0139, 0x0148) || In(c, 0x0179, 0x017E)) return Paired(c, false);
    // DŽ, LJ, NJ and DZ: title case and small both become the capital.
    if (In(c, 0x01C5, 0x01C6)) return 0x01C4;
    if (In(c, 0x01C8, 0x01C9)) return 0x01C7;
    if (In(c, 0x01CB, 0x01CC)) return 0x01CA;
    if (In(c, 0x01F2, 0x01F3)) return 0x01F1;
    if (In(c, 0x01A0, 0x01A5) || In(c, 0x01DE, 0x01EF) || In(c, 0x01F4, 0x01F5) || In(c, 0x01F8, 0x021F) ||
        In(c, 0x0222, 0x0233) || In(c, 0x0246, 0x024F))
        return Paired(c, true);
    if (In(c, 0x01CD, 0x01DC) || In(c, 0x01AF, 0x01B0)) return Paired(c, false);
    return c;
}

char16_t Greek(char16_t c) {
    if (c == 0x03AC) return 0x0386;
    if (In(c, 0x03AD, 0x03AF)) return char16_t(c - 0x25);
    if (c == 0x03C2) return 0x03A3;  // final sigma
    if (In(c, 0x03B1, 0x03CB)) return char16_t(c - 0x20);
    if (c == 0x03CC) return 0x038C;
    if (In(c, 0x03CD, 0x03CE)) return char16_t(c - 0x3F);
    if (In(c, 0x03D8, 0x03EF)) return Paired(c, true);
    return c;
}

char16_t Cyrillic(char16_t c) {
    if (In(c, 0x0430, 0x044F)) return char16_t(c - 0x20);
    if (In(c, 0x0450, 0x045F)) return char16_t(c - 0x50);
    if (In(c, 0x0460, 0x0481) || In(c, 0x048A, 0x04BF) || In(c, 0x04D0, 0x052F)) return Paired(c, true);
    if (In(c, 0x04C1, 0x04CE)) return Paired(c, false);
    if (c == 0x04CF) return 0x04C0;
    return c;
}

}  // namespace

char16_t UpperCaseUnit(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
    if (c < 0x100) {
        if (c == 0xB5) return 0x039C;  // micro sign
        if (c == 0xFF) return 0x0178;
        if (c >= 0xE0 && c != 0xF7 && c != 0xDF) return char16_t(c - 0x20);
        return c;
    }
    if (c < 0x0250) return LatinExtended(c);
    if (In(c, 0x0370, 0x03FF)) return Greek(c);
    if (In(c, 0x0400, 0x052F)) return Cyrillic(c);
    if (In(c, 0x0561, 0x0586)) return char16_t(c - 0x30);  // Armenian
    if (In(c, 0x1E00, 0x1E95) || In(c, 0x1EA0, 0x1EFF)) return Paired(c, true);
    if (In(c, 0x2170, 0x217F)) return char16_t(c - 0x10);  // small Roman numerals
    if (In(c, 0x24D0, 0x24E9)) return char16_t(c - 0x1A);  // circled letters
    if (In(c, 0xFF41, 0xFF5A)) return char16_t(c - 0x20);  // full-width letters
    return c;
}

}  // namespace kx

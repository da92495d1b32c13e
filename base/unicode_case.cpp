#include "base/unicode_case.h"

#include <cstddef>
#include <cstdint>

namespace kx {
namespace {

#include "unicode_case_tables.inc"

template <typename T, size_t N>
T Lookup(const uint8_t (&stage1)[256], const T (&stage2)[N][256], char16_t c) {
    return stage2[stage1[c >> 8]][c & 0xFF];
}

}  // namespace

char16_t ToUpperUnit(char16_t c) { return char16_t(c + Lookup(kUpperStage1, kUpperStage2, c)); }
char16_t ToLowerUnit(char16_t c) { return char16_t(c + Lookup(kLowerStage1, kLowerStage2, c)); }
bool IsUpperLetter(char16_t c) { return Lookup(kCapitalStage1, kCapitalStage2, c) != 0; }

char16_t OrdinalUpperUnit(char16_t c) {
    const char16_t upper = ToUpperUnit(c);
    return upper == c || ToLowerUnit(upper) == c ? upper : c;
}

std::u16string ToUpperText(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) c = ToUpperUnit(c);
    return out;
}

}  // namespace kx

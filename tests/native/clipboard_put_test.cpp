#include <gtest/gtest.h>

#include <cstring>

#include "engine/output/clipboard_put.h"
#include "engine/output/upper_case.h"

namespace kx {
namespace {

std::span<const uint8_t> Bytes(std::u16string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size() * 2};
}

std::u16string Units(const std::vector<uint8_t>& b) {
    std::u16string s(b.size() / 2, u'\0');
    std::memcpy(s.data(), b.data(), s.size() * 2);
    return s;
}

TEST(ClipboardPut, TrailingCharacterGoesInTheSpareBytesBeforeCasing) {
    ClipItem item;
    item.bytes = Bytes(u"abc");
    item.charCount = 3;
    item.trailing = u'x';
    EXPECT_EQ(Units(ClipboardBytes(item, {})), std::u16string(u"abcx\0", 5));
    EXPECT_EQ(Units(ClipboardBytes(item, {false, true})), std::u16string(u"ABCX\0", 5));
    EXPECT_EQ(Units(ClipboardBytes(item, {true, false})), std::u16string(u"Abcx\0", 5));
    // Without a trailing character the spare bytes stay zero.
    item.trailing = 0;
    EXPECT_EQ(Units(ClipboardBytes(item, {})), std::u16string(u"abc\0\0", 5));
    // Upper-casing stops at the first zero unit.
    const std::u16string embedded(u"ab\0cd", 5);
    item.bytes = Bytes(embedded);
    item.charCount = 5;
    EXPECT_EQ(Units(ClipboardBytes(item, {false, true})), std::u16string(u"AB\0cd\0\0", 7));
}

TEST(UpperCase, OneToOneMappingsOfTheCommonScripts) {
    const std::u16string lower = u"az\u00e0\u00fe\u00ff\u00b5\u0101\u0131\u013a\u017e\u017f\u01c6\u01ce\u0219"
                                 u"\u03ac\u03b1\u03c2\u03c9\u03ce\u0430\u044f\u0451\u0463\u04c2\u04cf\u04d1"
                                 u"\u0561\u1e01\u1ea1\u2170\u24d0\uff41";
    const std::u16string upper = u"AZ\u00c0\u00de\u0178\u039c\u0100I\u0139\u017dS\u01c4\u01cd\u0218"
                                 u"\u0386\u0391\u03a3\u03a9\u038f\u0410\u042f\u0401\u0462\u04c1\u04c0\u04d0"
                                 u"\u0531\u1e00\u1ea0\u2160\u24b6\uff21";
    ASSERT_EQ(lower.size(), upper.size());
    for (size_t i = 0; i < lower.size(); ++i)
        EXPECT_EQ(unsigned(UpperCaseUnit(lower[i])), unsigned(upper[i])) << "at " << i;
    // Capitals, letters without a one-unit capital, signs and other scripts stay.
    for (char16_t c : u"AZ\u00c0\u00df\u00f7\u0130\u0138\u0149\u01c4\u0410\u0391\u4e2d1@ \U0001F600")
        EXPECT_EQ(unsigned(UpperCaseUnit(c)), unsigned(c));
}

}  // namespace
}  // namespace kx

#include <gtest/gtest.h>

#include <cstring>

#include "engine/output/clipboard_put.h"
#include "base/unicode_case.h"

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

}  // namespace
}  // namespace kx

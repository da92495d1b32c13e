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

// The trailing character and the casing are checked through the output's
// tests; text with a zero unit in it only here.
TEST(ClipboardPut, UpperCasingStopsAtTheFirstZeroUnit) {
    const std::u16string embedded(u"ab\0cd", 5);
    ClipItem item;
    item.bytes = Bytes(embedded);
    item.charCount = 5;
    EXPECT_EQ(Units(ClipboardBytes(item, {false, true})), std::u16string(u"AB\0cd\0\0", 7));
}

}  // namespace
}  // namespace kx

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "core/utf8_encode.h"

namespace kx {
namespace {

// The writer's in-place encoder must give the bytes of the program's own
// conversion, unpaired surrogates included.
TEST(Utf8Encode, MatchesTheProgramsConversion) {
    const std::u16string cases[] = {
        u"", u"plain ASCII\r\n\t", u"\u00e9\u07ff\u0800\u20ac\uffff", u"\U0001F600\U0010FFFF",
        std::u16string{char16_t(0xD800)}, std::u16string{u'a', char16_t(0xDC00), u'b'},
        std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}, std::u16string{u'x', char16_t(0xDBFF)},
        u"twenty ascii letters\u00e9nine more\u20acsixteen-sixteen!",  // runs of ASCII around the rest
        std::u16string{u'a', u'b', u'c', char16_t(0xD83D), char16_t(0xDE00), u'd', u'e', u'f', u'g'},
    };
    for (const auto& s : cases) {
        const std::string expected = Utf16ToUtf8(s);
        ASSERT_EQ(Utf8Length(s), expected.size()) << expected;
        std::string out(expected.size() + 1, '#');
        uint8_t* end = EncodeUtf8(s, reinterpret_cast<uint8_t*>(out.data()));
        EXPECT_EQ(end - reinterpret_cast<uint8_t*>(out.data()), ptrdiff_t(expected.size()));
        EXPECT_EQ(out, expected + "#");
    }
}

}  // namespace
}  // namespace kx

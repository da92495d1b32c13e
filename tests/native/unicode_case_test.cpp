// Upper and lower case of single units, and comparisons without regard to
// case. (The Windows build's tests hold the comparison tables to the
// system's CompareStringOrdinal for whole blocks of letters.)
#include <gtest/gtest.h>

#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {
namespace {

TEST(UnicodeCase, OneToOneMappingsOfEveryScript) {
    // Latin-1 and Extended-A, -B (U+0180 and U+019A, which hand lists miss), Greek and Greek Extended,
    // Cyrillic, Armenian, Georgian Mkhedruli (capitals since Unicode 11), Roman numerals, full-width letters.
    const std::u16string lower = u"az\u00e0\u00ff\u00b5\u0101\u0131\u017f\u01c5\u0180\u019a\u03c2\u1f70\u0430"
                                 u"\u04cf\u0561\u10d0\u1e01\u2170\uff41\u2c65";
    const std::u16string upper = u"AZ\u00c0\u0178\u039c\u0100IS\u01c4\u0243\u023d\u03a3\u1fba\u0410"
                                 u"\u04c0\u0531\u1c90\u1e00\u2160\uff21\u023a";
    ASSERT_EQ(lower.size(), upper.size());
    for (size_t i = 0; i < lower.size(); ++i) {
        EXPECT_EQ(unsigned(ToUpperUnit(lower[i])), unsigned(upper[i])) << "at " << i;
        EXPECT_TRUE(IsUpperLetter(upper[i])) << "at " << i;
    }
    EXPECT_EQ(unsigned(ToLowerUnit(u'\u1c90')), 0x10d0u);
    // Letters without a one-unit capital, signs, digits, CJK and lone surrogates stay.
    for (char16_t c : u"\u00df\u00f7\u0149\u4e2d1@ \xd83d") EXPECT_EQ(unsigned(ToUpperUnit(c)), unsigned(c));
    for (char16_t c : u"a1 \u00df\u4e2d\u02b0") EXPECT_FALSE(IsUpperLetter(c)) << unsigned(c);
}

// A letter equals its upper case only when that upper case turns back into it.
TEST(UnicodeCase, ComparisonsIgnoreTheCaseOfEveryLetter) {
    const struct {
        std::u16string a, b;
        bool equal;
    } rows[] = {
        {u"\u00c9lan Stra\u00dfe", u"\u00e9LAN STRA\u00dfE", true}, {u"abc", u"abcd", false},
        {u"stra\u00dfe", u"STRASSE", false},  // one unit never becomes two
        {u"\u03c3", u"\u03a3", true},          {u"\u03c2", u"\u03a3", false},  // sigma, final sigma
        {u"\u0131", u"I", false},              {u"\u017f", u"S", false},       // dotless i, long s
        {u"\u01c6", u"\u01c4", true},          {u"\u01c5", u"\u01c4", false},  // dž, the title-case Dž
        {u"\u10d0\u10d1", u"\u1c90\u1c91", true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(EqualsNoCase(r.a, r.b), r.equal) << Utf16ToUtf8(r.a) << " " << Utf16ToUtf8(r.b);
        EXPECT_EQ(CompareNoCase(r.a, r.b) == 0, r.equal) << Utf16ToUtf8(r.a) << " " << Utf16ToUtf8(r.b);
    }
    EXPECT_LT(CompareNoCase(u"abc", u"ABCD"), 0);
    EXPECT_GT(CompareNoCase(u"b", u"A"), 0);
    EXPECT_EQ(ToUpperText(u"gr\u00fc\u00dfe \u1f00"), u"GR\u00dc\u00dfE \u1f08");
}

}  // namespace
}  // namespace kx

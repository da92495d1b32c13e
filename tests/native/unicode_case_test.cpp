#include <gtest/gtest.h>

#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {
namespace {

TEST(UnicodeCase, OneToOneMappingsOfEveryScript) {
    // Latin-1, Latin Extended-A and -B (incl. U+0180 and U+019A that hand lists miss), Greek and
    // Greek Extended, Cyrillic, Armenian, Georgian Mkhedruli (capitals since Unicode 11),
    // Latin Extended Additional, Roman numerals, circled and full-width letters.
    const std::u16string lower = u"az\u00e0\u00fe\u00ff\u00b5\u0101\u0131\u013a\u017e\u017f\u01c5\u01c6\u0180"
                                 u"\u019a\u0219\u0250\u03ac\u03b1\u03c2\u1f00\u1f70\u1fe5\u0430\u044f\u04cf"
                                 u"\u0561\u10d0\u10fa\u1e01\u1ea1\u2170\u24d0\uff41\u2c65";
    const std::u16string upper = u"AZ\u00c0\u00de\u0178\u039c\u0100I\u0139\u017dS\u01c4\u01c4\u0243"
                                 u"\u023d\u0218\u2c6f\u0386\u0391\u03a3\u1f08\u1fba\u1fec\u0410\u042f\u04c0"
                                 u"\u0531\u1c90\u1cba\u1e00\u1ea0\u2160\u24b6\uff21\u023a";
    ASSERT_EQ(lower.size(), upper.size());
    for (size_t i = 0; i < lower.size(); ++i) {
        EXPECT_EQ(unsigned(ToUpperUnit(lower[i])), unsigned(upper[i])) << "at " << i;
        EXPECT_TRUE(IsUpperLetter(upper[i])) << "at " << i;
        const bool roundTrips =
            upper[i] != u'I' && upper[i] != u'S' && lower[i] != 0x00b5 && lower[i] != 0x03c2 && lower[i] != 0x01c5;
        if (roundTrips) {
            EXPECT_EQ(unsigned(ToLowerUnit(upper[i])), unsigned(lower[i])) << "at " << i;
        }
    }
    // Capitals, letters without a one-unit capital, signs, digits, CJK and lone surrogates stay.
    for (char16_t c : u"AZ\u00c0\u00df\u00f7\u0130\u0138\u0149\u01c4\u0410\u0391\u4e2d1@ \xd83d\xde00")
        EXPECT_EQ(unsigned(ToUpperUnit(c)), unsigned(c)) << unsigned(c);
    for (char16_t c : u"az1@ \u00df\u00e9\u4e2d\u02b0") EXPECT_FALSE(IsUpperLetter(c)) << unsigned(c);
}

// Comparisons without regard to case follow CompareStringOrdinal (which the
// Windows build calls, so this runs against the system under Wine): a letter
// equals its upper case only when that upper case turns back into it.
TEST(UnicodeCase, ComparisonsIgnoreTheCaseOfEveryLetter) {
    const struct {
        std::u16string a, b;
        bool equal;
    } rows[] = {
        {u"\u00c9lan Stra\u00dfe", u"\u00e9LAN STRA\u00dfE", true},
        {u"\u041c\u043e\u0441\u043a\u0432\u0430", u"\u043c\u041e\u0421\u041a\u0412\u0410", true},
        {u"\u00e9clair", u"\u00c9CLAIR", true},
        {u"abc", u"abd", false},
        {u"abc", u"abcd", false},
        {u"stra\u00dfe", u"STRASSE", false},  // one unit never becomes two
        {u"\u03c3", u"\u03a3", true},          // sigma
        {u"\u03c2", u"\u03a3", false},         // final sigma
        {u"\u03c2", u"\u03c3", false},
        {u"\u0131", u"I", false},              // dotless i
        {u"\u017f", u"S", false},              // long s
        {u"\u03d0", u"\u0392", false},         // beta symbol
        {u"\u01c6", u"\u01c4", true},          // dž, DŽ
        {u"\u01c5", u"\u01c4", false},         // the title-case Dž
        {u"\u10d0\u10d1", u"\u1c90\u1c91", true},  // Georgian and its capitals
        {u"\u0561", u"\u0531", true},          // Armenian
        {u"\u00ff", u"\u0178", true},          // ÿ, Ÿ
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

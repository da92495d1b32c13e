// Comparisons without regard to case follow CompareStringOrdinal (which the
// Windows build calls, so this runs against the system under Wine): a letter
// equals its upper case only when that upper case turns back into it.
#include <gtest/gtest.h>

#include "base/unicode_case.h"

namespace kx {
namespace {

TEST(UnicodeCaseCompare, LettersWhoseUpperCaseBelongsToAnotherLetterStayThemselves) {
    EXPECT_TRUE(EqualsNoCase(u"\u03c3", u"\u03a3"));           // sigma
    EXPECT_FALSE(EqualsNoCase(u"\u03c2", u"\u03a3"));          // final sigma
    EXPECT_FALSE(EqualsNoCase(u"\u03c2", u"\u03c3"));
    EXPECT_FALSE(EqualsNoCase(u"\u0131", u"I"));               // dotless i
    EXPECT_FALSE(EqualsNoCase(u"\u017f", u"S"));               // long s
    EXPECT_FALSE(EqualsNoCase(u"\u03d0", u"\u0392"));          // beta symbol
    EXPECT_TRUE(EqualsNoCase(u"\u01c6", u"\u01c4"));           // dž, DŽ
    EXPECT_FALSE(EqualsNoCase(u"\u01c5", u"\u01c4"));          // the title-case Dž
    EXPECT_TRUE(EqualsNoCase(u"\u10d0\u10d1", u"\u1c90\u1c91"));  // Georgian and its capitals
    EXPECT_TRUE(EqualsNoCase(u"\u0561", u"\u0531"));           // Armenian
    EXPECT_NE(CompareNoCase(u"\u03c2", u"\u03c3"), 0);
    EXPECT_EQ(CompareNoCase(u"\u00ff", u"\u0178"), 0);         // ÿ, Ÿ
}

}  // namespace
}  // namespace kx

// The comparison without regard to case that the Windows build asks
// CompareStringOrdinal for, against the generated tables the other builds
// use: both must call the same letters equal.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode_case.h"

namespace kx {
namespace {

bool SystemEqualNoCase(char16_t a, char16_t b) {
    const wchar_t x = wchar_t(a), y = wchar_t(b);
    return ::CompareStringOrdinal(&x, 1, &y, 1, TRUE) == CSTR_EQUAL;
}

struct Block {
    const char* name;
    char16_t first, last;
};

// Every pair of units within each block, and every unit against its table
// upper and lower case (which may lie in another block, as Georgian's
// capitals do).
TEST(UnicodeCaseWin32, CompareStringOrdinalAgreesWithTheTables) {
    const Block blocks[] = {
        {"Latin-1", 0x00C0, 0x00FF},          {"Latin Extended-A", 0x0100, 0x017F},
        {"Latin Extended-B", 0x0180, 0x024F}, {"Greek", 0x0370, 0x03FF},
        {"Cyrillic", 0x0400, 0x04FF},         {"Armenian", 0x0530, 0x058F},
        {"Georgian", 0x10A0, 0x10FF},         {"Georgian Extended", 0x1C90, 0x1CBF},
    };
    for (const Block& b : blocks) {
        std::vector<std::string> differ;
        for (unsigned a = b.first; a <= b.last; ++a) {
            const char16_t ca = char16_t(a);
            std::vector<char16_t> others;
            for (unsigned c = b.first; c <= b.last; ++c) others.push_back(char16_t(c));
            others.push_back(ToUpperUnit(ca));
            others.push_back(ToLowerUnit(ca));
            for (char16_t cb : others) {
                const bool table = OrdinalUpperUnit(ca) == OrdinalUpperUnit(cb);
                if (SystemEqualNoCase(ca, cb) == table) continue;
                char line[64];
                std::snprintf(line, sizeof line, "U+%04X U+%04X: tables say %s", a, unsigned(cb),
                              table ? "equal" : "different");
                differ.push_back(line);
            }
        }
        std::string shown;
        for (size_t i = 0; i < differ.size() && i < 12; ++i) shown += "\n  " + differ[i];
        EXPECT_TRUE(differ.empty()) << b.name << ": " << differ.size() << " pairs differ" << shown;
    }
}

// The program's own comparison on Windows goes through the system and gives
// the answers the portable one gives, for whole texts too.
TEST(UnicodeCaseWin32, TextsCompareLikeThePortableRule) {
    EXPECT_TRUE(EqualsNoCase(u"\u00c9t\u00e9 \u0394\u03b5\u03bb\u03c4\u03b1 \u0561\u0562",
                             u"\u00e9T\u00c9 \u03b4\u0395\u039b\u03a4\u0391 \u0531\u0532"));
    EXPECT_FALSE(EqualsNoCase(u"stra\u00dfe", u"STRASSE"));
    EXPECT_FALSE(EqualsNoCase(u"abc", u"abcd"));
    EXPECT_EQ(CompareNoCase(u"\u00e9clair", u"\u00c9CLAIR"), 0);
    EXPECT_LT(CompareNoCase(u"abc", u"ABCD"), 0);
    EXPECT_GT(CompareNoCase(u"b", u"A"), 0);
    EXPECT_LT(CompareNoCase(u"\u00e0", u"\u00c1"), 0);  // by the upper-cased units: U+00C0 < U+00C1
}

}  // namespace
}  // namespace kx

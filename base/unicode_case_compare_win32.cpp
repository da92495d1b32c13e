// Comparisons without regard to case through CompareStringOrdinal, the rule
// Windows applies to file names and registry keys; the tables give the same
// answers elsewhere (unicode_case_compare.cpp).
#include <windows.h>

#include <climits>

#include "base/unicode_case.h"

namespace kx {

namespace {

// CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN as -1, 0 or 1.
int Ordinal(std::u16string_view a, std::u16string_view b) {
    // The call takes int lengths; no text the program compares comes near.
    if (a.size() > INT_MAX || b.size() > INT_MAX) return a.size() < b.size() ? -1 : 1;
    const int r = ::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()), int(a.size()),
                                         reinterpret_cast<const wchar_t*>(b.data()), int(b.size()), TRUE);
    return r == CSTR_EQUAL ? 0 : (r == CSTR_LESS_THAN ? -1 : 1);
}

}  // namespace

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && Ordinal(a, b) == 0;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) { return Ordinal(a, b); }

}  // namespace kx

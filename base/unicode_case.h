// Letter case for every UTF-16 unit, from Unicode's own character data
// (tables generated at build time): the one-to-one upper- and lower-case
// mappings, which are what Windows applies unit by unit, and comparisons
// "without regard to case" over all letters, not only ASCII.
//
// Letters whose upper case takes more than one unit (German sharp s) and
// characters outside the Basic Multilingual Plane stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace kx {

char16_t ToUpperUnit(char16_t c);
char16_t ToLowerUnit(char16_t c);
// An upper-case or title-case letter ("É", "Σ", "ǅ", "Ⅳ"), not only "A" to "Z".
bool IsUpperLetter(char16_t c);

std::u16string ToUpperText(std::u16string_view s);
// The unit as the comparisons below see it: its upper case, where that turns
// back into the unit in lower case. Letters whose upper case belongs to
// another letter (dotless i, long s, final sigma, the Greek symbol forms,
// the title-case digraphs) stay themselves, as CompareStringOrdinal has them.
char16_t OrdinalUpperUnit(char16_t c);
// Equal when every unit matches after upper-casing: the rule of
// CompareStringOrdinal with ignore-case, on every platform. Windows builds
// ask CompareStringOrdinal itself (unicode_case_compare_win32.cpp), so that
// the program agrees with the file system and the registry about which names
// are the same; other builds use the tables (unicode_case_compare.cpp).
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
// <0, 0 or >0 by the upper-cased units, in code-unit order.
int CompareNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace kx

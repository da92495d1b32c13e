// Comparisons without regard to case from the generated tables, for builds
// without Windows (Windows asks the system: unicode_case_compare_win32.cpp).
#if !defined(_WIN32)

#include "base/unicode_case.h"

namespace kx {

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && OrdinalUpperUnit(a[i]) != OrdinalUpperUnit(b[i])) return false;
    return true;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = OrdinalUpperUnit(a[i]), y = OrdinalUpperUnit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace kx

#endif

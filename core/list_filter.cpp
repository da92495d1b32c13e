#include "core/list_filter.h"

#include <string>
#include <vector>

#include "base/unicode_case.h"
#include "core/print_listing.h"

namespace kx {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000 || c == 0xA0; }

std::vector<std::u16string> Words(std::u16string_view filter) {
    std::vector<std::u16string> words;
    size_t i = 0;
    while (i < filter.size()) {
        while (i < filter.size() && IsSpace(filter[i])) ++i;
        const size_t start = i;
        while (i < filter.size() && !IsSpace(filter[i])) ++i;
        if (i > start) words.push_back(ToUpperText(filter.substr(start, i - start)));
    }
    return words;
}

}  // namespace

bool RowMatchesFilter(const DisplayRecord& row, std::u16string_view filter) {
    const std::vector<std::u16string> words = Words(filter);
    if (words.empty()) return true;
    std::vector<std::u16string> texts{ToUpperText(row.keyword)};
    if (row.expansion) texts.push_back(ToUpperText(ListingText(*row.expansion)));
    if (row.overridden) texts.push_back(ToUpperText(ListingText(*row.overridden)));
    for (const std::u16string& word : words) {
        bool found = false;
        for (const std::u16string& text : texts)
            if (text.find(word) != std::u16string::npos) found = true;
        if (!found) return false;
    }
    return true;
}

}  // namespace kx

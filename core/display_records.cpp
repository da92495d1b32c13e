#include "core/display_records.h"

#include <map>

#include "base/text.h"
#include "base/unicode_case.h"

namespace kx {

namespace {
struct NoCaseLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const { return CompareNoCase(a, b) < 0; }
};
}  // namespace

std::vector<DisplayRecord> MergeForDisplay(const ShortcutStore& local, const ShortcutStore& shared,
                                           bool sharedEnabled, bool replaceLocal) {
    std::vector<DisplayRecord> rows;
    std::multimap<std::u16string, size_t, NoCaseLess> localRows;  // keyword -> row
    for (auto it = local.Begin(); !it.AtEnd(); it.Next()) {
        localRows.emplace(it.Keyword(), rows.size());
        rows.push_back({it.Keyword(), OriginLocal, it.Entry(), {}, it.Keyword(), {}});
    }
    if (!sharedEnabled) return rows;

    const auto join = [&](DisplayRecord& row, const std::u16string& keyword, const EntryRef& entry) {
        row.sharedKeyword = keyword;
        if (replaceLocal) {
            row.origin = OriginShared | OriginOverriding;
            row.overridden = row.expansion;
            row.expansion = entry;
        } else {
            row.origin = OriginLocal | OriginOverriding;
            row.overridden = entry;
        }
    };
    // A local row takes one shared shortcut: first the one of its own
    // letters, then (in a second pass, so that no other takes its place) one
    // differing in case only. Any further shared keyword differing in case
    // alone is a row of its own.
    std::vector<bool> joined;
    for (auto it = shared.Begin(); !it.AtEnd(); it.Next()) {
        const std::u16string keyword = it.Keyword();
        bool done = false;
        const auto [first, last] = localRows.equal_range(keyword);
        for (auto r = first; r != last && !done; ++r) {
            if (rows[r->second].localKeyword != keyword) continue;
            join(rows[r->second], keyword, it.Entry());
            done = true;
        }
        joined.push_back(done);
    }
    size_t index = 0;
    for (auto it = shared.Begin(); !it.AtEnd(); it.Next(), ++index) {
        if (joined[index]) continue;
        const std::u16string keyword = it.Keyword();
        DisplayRecord* row = nullptr;
        const auto [first, last] = localRows.equal_range(keyword);
        for (auto r = first; r != last && !row; ++r)
            if (rows[r->second].sharedKeyword.empty()) row = &rows[r->second];
        if (row) join(*row, keyword, it.Entry());
        else rows.push_back({keyword, OriginShared, it.Entry(), {}, {}, keyword});
    }
    return rows;
}

const std::u16string& WinningKeyword(const DisplayRecord& row) {
    return (row.origin & OriginShared) ? row.sharedKeyword : row.localKeyword;
}

std::u16string ExpansionColumnText(bool sharedEnabled, bool replaceLocal, std::u16string_view groupName) {
    if (!sharedEnabled) return FormatS(u"Expands to (Local group: %s)", groupName);
    if (replaceLocal) return FormatS(u"Expands to (Shared overriding local group: %s)", groupName);
    return FormatS(u"Expands to (Local group: %s overriding shared)", groupName);
}

}  // namespace kx

#include "core/display_records.h"

#include <unordered_map>

#include "base/text.h"

namespace kx {

std::vector<DisplayRecord> MergeForDisplay(const ShortcutStore& local, const ShortcutStore& shared,
                                           bool sharedEnabled, bool replaceLocal) {
    std::vector<DisplayRecord> rows;
    std::unordered_map<std::u16string, size_t> byKey;  // upper-cased keyword -> row
    for (auto it = local.Begin(); !it.AtEnd(); it.Next()) {
        byKey.emplace(AsciiUpper(it.Keyword()), rows.size());
        rows.push_back({it.Keyword(), OriginLocal, it.Entry(), {}});
    }
    if (!sharedEnabled) return rows;
    for (auto it = shared.Begin(); !it.AtEnd(); it.Next()) {
        auto [slot, added] = byKey.emplace(AsciiUpper(it.Keyword()), rows.size());
        if (added) {
            rows.push_back({it.Keyword(), OriginShared, it.Entry(), {}});
            continue;
        }
        DisplayRecord& row = rows[slot->second];
        // Only a local row is overridden, and only once: a second shared
        // keyword differing in case alone adds nothing to the list.
        if (row.origin != OriginLocal) continue;
        if (replaceLocal) {
            row.origin = OriginShared | OriginOverriding;
            row.overridden = row.expansion;
            row.expansion = it.Entry();
        } else {
            row.origin = OriginLocal | OriginOverriding;
            row.overridden = it.Entry();
        }
    }
    return rows;
}

std::u16string ExpansionColumnText(bool sharedEnabled, bool replaceLocal, std::u16string_view groupName) {
    if (!sharedEnabled) return FormatS(u"Expands to (Local group: %s)", groupName);
    if (replaceLocal) return FormatS(u"Expands to (Shared overriding local group: %s)", groupName);
    return FormatS(u"Expands to (Local group: %s overriding shared)", groupName);
}

}  // namespace kx

// The main list's rows: local and shared shortcuts merged by keyword (case
// ignored), with the override rule deciding which expansion a row shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/shortcut_store.h"

namespace kx {

inline constexpr uint32_t OriginLocal = 1;
inline constexpr uint32_t OriginShared = 2;
inline constexpr uint32_t OriginOverriding = 16;

struct DisplayRecord {
    std::u16string keyword;  // as the row shows it
    uint32_t origin = 0;
    EntryRef expansion;   // the winning entry
    EntryRef overridden;  // the losing entry, only with OriginOverriding
    // The keyword as each store holds it (they may differ in case); empty
    // for a store the row's shortcut is not in. Changes to a store use these.
    std::u16string localKeyword;
    std::u16string sharedKeyword;
};

// Every local entry becomes a row; with shared shortcuts enabled every shared
// entry joins a local row of the same keyword (its own letters first, then
// ignoring case) that no other shared entry has joined, or becomes a row of
// its own. Rows are in local keyword order, then new shared rows.
std::vector<DisplayRecord> MergeForDisplay(const ShortcutStore& local, const ShortcutStore& shared,
                                           bool sharedEnabled, bool replaceLocal);

// The keyword under which the store that wins the row holds it: what moving
// or copying the row carries to another group.
const std::u16string& WinningKeyword(const DisplayRecord& row);

// The heading of the expansion column, naming the current group.
std::u16string ExpansionColumnText(bool sharedEnabled, bool replaceLocal, std::u16string_view groupName);

}  // namespace kx

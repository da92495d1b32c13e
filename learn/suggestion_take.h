// Taking the next pending shortcut suggestions out of
// "ShortcutSuggestions.txt": the first three lines are handed to the
// Suggestions window and the file keeps the rest. Whether suggestions are
// wanted at all ("SuggestShortcuts") is the caller's question.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kx {

inline constexpr char16_t kSuggestionFileName[] = u"ShortcutSuggestions.txt";
inline constexpr char16_t kSuggestionTempName[] = u"ShortcutSuggestionsTemp.txt";
// The file holds at most this many suggestions; lines after it are dropped.
inline constexpr size_t kSuggestionFileLines = 200;
// How many suggestions one window offers.
inline constexpr size_t kSuggestionsShown = 3;

// Reads at most 200 lines of "ShortcutSuggestions.txt" in `folder`. The
// non-empty lines among the first three come back (each cut to 259 units),
// and the file is replaced, through "ShortcutSuggestionsTemp.txt", by the
// other lines read, each ending in CR LF. When either file cannot be opened,
// read or written, nothing comes back and the file is left as it was.
std::vector<std::u16string> TakePendingSuggestions(FileSystem& fs, std::u16string_view folder);

}  // namespace kx

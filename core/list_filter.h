// The main list's filter box: which rows stay while the user types a search.
#pragma once

#include <string_view>

#include "core/display_records.h"

namespace kx {

// True when every word of the filter (words split at white space) occurs,
// ignoring letter case, in the row's keyword or in one of its expansions
// (the text, a picture's file name). An empty filter keeps every row.
bool RowMatchesFilter(const DisplayRecord& row, std::u16string_view filter);

}  // namespace kx

// Three-column CSV files: TextExpander's export, Beeftext's CSV and our own
// export. Each row is "keyword","text","name" without a header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/import/import.h"

namespace kx {

struct CsvRow {
    size_t line = 0;  // the line the row starts on, from 1
    std::vector<std::u16string> fields;
};

// Splits CSV text into rows as RFC 4180 does, with rows ending in CR LF, LF
// or CR alone. A quote inside a quoted field ends it only when a comma or the
// row's end follows; otherwise it is kept, since TextExpander does not double
// the quotes of its label column. Empty lines are no rows. `unterminated` is
// set when the text ends inside a quoted field.
std::vector<CsvRow> ParseCsv(std::u16string_view text, bool& unterminated);

// Adds the rows of a CSV file's bytes to the preview; `fileName` names the
// origin of each row.
void ReadCsvImport(std::string_view bytes, std::u16string_view fileName, ImportPreview& preview);

// One field as our export writes it: always quoted, quotes doubled.
void AppendCsvField(std::string& out, std::u16string_view field);

}  // namespace kx

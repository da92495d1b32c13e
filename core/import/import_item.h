// What every reader does with the items it finds: notes that raise an
// item's status, the keyword rule, and the checks on the input's text.
#pragma once

#include <string>
#include <string_view>

#include "core/import/import.h"

namespace kx {

// A note that explains what works differently; the status stays.
void AddNote(ImportItem& item, std::u16string note);
// A note for a change the import makes; an imported item becomes changed.
void MarkChanged(ImportItem& item, std::u16string note);
// A note for why the item is left out; it becomes skipped.
void MarkSkipped(ImportItem& item, std::u16string note);

// Makes the keyword Kestrix stores from item.sourceKeyword. A Kestrix
// keyword is made of word characters and ends at a delimiter, so leading
// and trailing delimiters are removed (with a note that says what to type),
// and the rest is upper-cased as the editors do. Empty, too long, or with a
// delimiter inside, the item is skipped: such a keyword could never be typed.
void ApplyKeywordRule(ImportItem& item);

// The text of a file as UTF-16, without a UTF-8 byte-order mark. False for
// bytes that are not UTF-8 text (invalid sequences, or NUL characters).
bool DecodeTextFile(std::string_view bytes, std::u16string& out);

// Quotes a text for a note: "sig".
std::u16string Quoted(std::u16string_view text);

// Line breaks as the program's text holds them: CR LF.
std::u16string ToCrLf(std::u16string_view text);

}  // namespace kx

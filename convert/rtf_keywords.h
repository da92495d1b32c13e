// Tables of RTF control words that the reader treats alike.
#pragma once

#include <string_view>

namespace kx {

// Destinations that hold no visible text of the document (tables, pictures,
// objects, headers and footers, document information, field instructions,
// bookmarks, revision and list tables...). Their whole group is skipped.
bool IsSkippedDestination(std::string_view word);

// The character a control word stands for (\tab, \lquote, \emdash, ...),
// or 0 when the word is not a character.
char16_t SpecialCharacter(std::string_view word);

// Whether the word switches underlining on (\ul and its styled variants
// \uld, \uldb, \ulwave, ...). \ulnone and \ulc (underline colour) are not.
bool IsUnderlineWord(std::string_view word);

}  // namespace kx

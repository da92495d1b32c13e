// Turning an imported file into an expansion, and the conversions between
// simple and rich text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// Files up to 100 KB import; one byte more is refused.
inline constexpr uint64_t kImportLimitBytes = 102400;
inline bool ImportSizeAllowed(uint64_t size) { return size <= kImportLimitBytes; }

// A file as rich text: leading zero bytes and bytes with the high bit set (a
// byte-order mark) are skipped; anything not starting with "{" becomes one
// paragraph of rich text.
std::string RichTextFromImport(std::string_view bytes);

// A file as plain text: UTF-16 with its byte-order mark, UTF-8 (with or
// without one), else the bytes of the ANSI code page.
std::u16string PlainTextFromImport(std::string_view bytes);

// The rich text stored for an expansion; an empty one as "{\rtf1\ansi\pard}".
std::string StoredRichText(std::string_view rtf);

// Plain text as rich text, line by line, for the simple-to-rich conversion.
std::string PlainTextToRtf(std::u16string_view text);

}  // namespace kx

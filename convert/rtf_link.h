// Hyperlink fields: the address in a field instruction such as
// HYPERLINK "https://example.com/" \o "tip", and its form inside an HTML
// attribute.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The address of a HYPERLINK instruction when it is an http, https or
// mailto address; empty for any other instruction or address (local
// bookmarks, files, scripts).
std::u16string HyperlinkTarget(std::u16string_view instruction);

// The address made safe as a double-quoted attribute value: characters a
// URL may not hold (blanks, controls, quotes, angle brackets, non-ASCII)
// are percent-encoded as UTF-8 bytes, and '&' becomes "&amp;".
std::string HrefAttributeValue(std::u16string_view url);

}  // namespace kx

// The JSON string escapes of kxtool's output. Reading JSON is nlohmann-json's.
#pragma once

#include <string>
#include <string_view>

namespace kx::json {

// A quoted JSON string: UTF-8 for text, \u escapes for controls and unpaired
// surrogates.
std::string Quote(std::u16string_view text);
// A quoted JSON string holding 8-bit bytes as the characters U+0000-U+00FF
// (bytes from 0x7F up as \u00XX), so the bytes come back exactly.
std::string QuoteBytes(std::string_view bytes);
// The reverse of QuoteBytes for a parsed string; false when a character is
// above U+00FF.
bool StringToBytes(std::u16string_view text, std::string& out);

}  // namespace kx::json

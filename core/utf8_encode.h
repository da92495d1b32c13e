// UTF-16 to UTF-8 straight into a caller's buffer, for the database writer,
// which learns each string's length first and then encodes it in place.
// The bytes are those of Utf16ToUtf8: an unpaired surrogate becomes U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kx {

size_t Utf8Length(std::u16string_view text);
// Writes Utf8Length(text) bytes at `out` and returns the end.
uint8_t* EncodeUtf8(std::u16string_view text, uint8_t* out);

}  // namespace kx

// Base64 with the standard alphabet (A-Z a-z 0-9 + /), '=' padding and no
// line breaks: picture data in HTML, confidence bytes in the phrase file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

std::string Base64Encode(const uint8_t* data, size_t size);
inline std::string Base64Encode(std::string_view bytes) {
    return Base64Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
inline std::string Base64Encode(const std::vector<uint8_t>& bytes) {
    return Base64Encode(bytes.data(), bytes.size());
}

// Strict: the length must be a multiple of four, padding only at the end,
// no blanks or line breaks. False on anything else, with `out` empty.
bool Base64Decode(std::string_view text, std::vector<uint8_t>& out);

}  // namespace kx

// The text of a "kbrd_input" line and the keys it types: each character is
// pressed and released; a backslash starts an escape or a key name.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/key_injector.h"

namespace kx {

// The key named at the start of `text` ("F12" in "F12abc"), by the key-name
// table, tried in its order so F10 to F20 win over F1; `length` is the
// name's length. Names are upper case and compared exactly.
struct NamedKeyMatch {
    uint16_t vk = 0;
    size_t length = 0;
};
std::optional<NamedKeyMatch> MatchKeyName(std::u16string_view text);

// The press and release records for the text between the quotes.
std::vector<KeyRecord> TypedTextRecords(std::u16string_view text);

}  // namespace kx

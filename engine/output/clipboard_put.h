// Places one format on the clipboard. Each format gets its own open and
// close, so the formats of one expansion add up after the clipboard was
// emptied once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/clipboard.h"
#include "platform/clock.h"

namespace kx {

// The casing rule, as the typed keyword set it.
struct Casing {
    bool firstCapital = false;  // upper-case the first unit
    bool allCapitals = false;   // upper-case everything up to the first zero unit
};

struct ClipItem {
    unsigned format = 0;
    WindowHandle owner = 0;
    std::span<const uint8_t> bytes;
    size_t charCount = 0;    // where a trailing character goes, in UTF-16 units
    char16_t trailing = 0;   // written after the text with a zero unit; 0 for none
};

inline constexpr int kClipboardOpenAttempts = 5;
inline constexpr uint32_t kClipboardRetryMs = 25;

// Opens the clipboard (up to 5 attempts, 25 ms apart), hands it the bytes
// followed by 4 zero bytes (room for the trailing character and a
// terminator), with the casing applied to the data read as UTF-16, and
// closes it. True when the data was taken.
bool PutOnClipboard(Clipboard& clipboard, Clock& clock, const ClipItem& item, Casing casing);

// The data as the clipboard receives it, without the clipboard.
std::vector<uint8_t> ClipboardBytes(const ClipItem& item, Casing casing);

}  // namespace kx

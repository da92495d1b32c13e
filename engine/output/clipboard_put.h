// Puts an expansion's formats on the clipboard: the bytes of each format as
// the clipboard receives them, the one wait for a clipboard that another
// program holds open, and the formats that keep an expansion out of
// clipboard history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

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
    std::span<const uint8_t> bytes;
    size_t charCount = 0;    // where a trailing character goes, in UTF-16 units
    char16_t trailing = 0;   // written after the text with a zero unit; 0 for none
};

// A clipboard history tool beside us opens the clipboard to read each
// change: every opening for an expansion tries again every 2 ms, for 125 ms.
inline constexpr uint32_t kClipboardOpenPollMs = 2;
inline constexpr uint32_t kClipboardOpenLimitMs = 125;

// Opens the clipboard with `owner`, trying every kClipboardOpenPollMs for
// up to `limitMs`. False when another program held it all that time.
bool OpenClipboardWithin(ClipboardSession& session, Clock& clock, WindowHandle owner, uint32_t limitMs);

// The data as the clipboard receives it: the bytes followed by 4 zero bytes
// (room for the trailing character and a terminator), with the casing
// applied to the data read as UTF-16.
std::vector<uint8_t> ClipboardBytes(const ClipItem& item, Casing casing);

// Clipboard history (Win+V), the cloud clipboard and clipboard monitors keep
// whatever is copied, and an expansion is often a password, an account
// number or an address. Documented rule ("Clipboard Formats", Cloud
// Clipboard and Clipboard History Formats): data under
// "ExcludeClipboardContentFromMonitorProcessing" keeps the whole clipboard
// from history, sync and monitors; a DWORD 0 under
// "CanIncludeInClipboardHistory" or "CanUploadToCloudClipboard" keeps it out
// of history or the cloud. They count only when placed in the same opening
// as the data they speak for, since readers look at each change as it is
// closed.
inline constexpr std::u16string_view kPrivacyFormatNames[] = {
    u"ExcludeClipboardContentFromMonitorProcessing", u"CanIncludeInClipboardHistory",
    u"CanUploadToCloudClipboard"};

// Places the three formats, each a DWORD 0, on the open clipboard. False
// when one cannot be registered or placed: the expansion then does not go
// on the clipboard at all.
bool PutPrivacyFormats(Clipboard& clipboard);

}  // namespace kx

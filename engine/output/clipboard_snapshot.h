// The user's clipboard, saved before an expansion replaces it and given back
// once the target has pasted the expansion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clock.h"

namespace kx {

struct ClipboardSnapshot {
    std::vector<ClipFormat> formats;
    // Formats left out for their size.
    std::vector<unsigned> tooLarge;
};

// What saving may cost: it runs while the user's keys are held.
struct SaveLimits {
    size_t formatBytes = 0;  // a format larger than this is not saved
    uint32_t ms = 0;         // saving that takes longer is given up
};

// Whether a format is worth saving, given those of the same clipboard seen
// before it. Formats the system makes from another (CF_TEXT beside
// CF_UNICODETEXT, CF_BITMAP beside CF_DIB, a metafile beside an enhanced
// one) are saved in the form that came first only: the system makes the
// others again from it. Owner-drawn formats and private handles cannot be
// copied by anyone but their owner and are left out.
bool WorthSaving(unsigned format, const std::vector<unsigned>& earlier);

// Reads every format worth saving from the open clipboard. Formats that
// cannot be read, or are larger than the limit, are left out. Nothing when
// the time limit passed: the program that copied may render each format
// only when asked, and a large copy can take seconds.
std::optional<ClipboardSnapshot> SaveOpenClipboard(Clipboard& clipboard, Clock& clock, const SaveLimits& limits);

// Empties the open clipboard and puts the saved formats back on it; true
// when every one was taken. Whatever was taken stays even when one fails.
bool RestoreOpenClipboard(Clipboard& clipboard, const ClipboardSnapshot& snapshot);

}  // namespace kx

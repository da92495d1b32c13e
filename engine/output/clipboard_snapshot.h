// The user's clipboard, saved before an expansion replaces it and given back
// once the target has pasted the expansion.
#pragma once

#include <vector>

#include "platform/clipboard.h"

namespace kx {

struct ClipboardSnapshot {
    std::vector<ClipFormat> formats;
};

// Whether a format is worth saving, given those of the same clipboard seen
// before it. Formats the system makes from another (CF_TEXT beside
// CF_UNICODETEXT, CF_BITMAP beside CF_DIB, a metafile beside an enhanced
// one) are saved in the form that came first only: the system makes the
// others again from it. Owner-drawn formats and private handles cannot be
// copied by anyone but their owner and are left out.
bool WorthSaving(unsigned format, const std::vector<unsigned>& earlier);

// Reads every format worth saving from the open clipboard. Formats that
// cannot be read are left out.
ClipboardSnapshot SaveOpenClipboard(Clipboard& clipboard);

// Empties the open clipboard and puts the saved formats back on it; true
// when every one was taken. Whatever was taken stays even when one fails.
bool RestoreOpenClipboard(Clipboard& clipboard, const ClipboardSnapshot& snapshot);

}  // namespace kx

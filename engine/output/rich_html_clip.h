// Builds the "HTML Format" clip of a rich-text shortcut.
#pragma once

#include "core/shortcut_store.h"

namespace kx {

// Converts the entry's richText to HTML and fills the entry's htmlClip.
// The conversion runs in memory: a temporary file would keep the
// shortcut's text (a shared one's too) on disk after the program ends, and
// a fixed name in a temporary folder lets whoever creates it first read
// or replace what the next build writes. False, with htmlClip empty, when
// the text is not RTF.
bool BuildRichHtmlClip(ShortcutEntry& entry);

}  // namespace kx

// Puts a text on the clipboard as CF_UNICODETEXT, as any program would, for
// the helpers of the typing tests and the latency benchmark.
#pragma once

#include <windows.h>

#include <string>

namespace kx::e2e {

// Empties the clipboard under `owner` (may be null) and leaves `text` there.
// Another program may hold the clipboard for a moment: opening is retried
// for about a second. False when it stays closed or the text cannot be set.
bool PutClipboardText(HWND owner, const std::wstring& text);

}  // namespace kx::e2e

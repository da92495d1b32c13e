#include "tests/e2e/clip_text.h"

#include <cstring>

namespace kx::e2e {

bool PutClipboardText(HWND owner, const std::wstring& text) {
    bool open = false;
    for (int attempt = 0; attempt < 40 && !(open = ::OpenClipboard(owner)); ++attempt) ::Sleep(25);
    if (!open) return false;
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool ok = false;
    if (block) {
        if (void* p = ::GlobalLock(block)) {
            std::memcpy(p, text.c_str(), bytes);
            ::GlobalUnlock(block);
            ok = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!ok) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return ok;
}

}  // namespace kx::e2e

// The clipboard from a test's side: writes one format of it to a file, byte
// for byte as the clipboard holds it, so a test can look at what a paste
// would take; or puts a text on it, as any other program might.
//
//   kx_clip.exe --format NAME --out PATH
//   kx_clip.exe --set-text TEXT
//
// NAME is a registered format name ("HTML Format", "Rich Text Format") or
// "text" for CF_UNICODETEXT, written as UTF-8 up to its terminator. Exit
// code 1 when the clipboard does not hold the format, 2 on other failures.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/clip_text.h"

namespace {

// Another program may hold the clipboard for a moment.
bool OpenWithRetry() {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(25);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring format, out, setText;
    bool set = false;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--format") format = argv[++i];
        else if (a == L"--out") out = argv[++i];
        else if (a == L"--set-text") set = true, setText = argv[++i];
    }
    if (set) return kx::e2e::PutClipboardText(nullptr, setText) ? 0 : 2;
    if (format.empty() || out.empty()) return 2;
    const bool text = format == L"text";
    const UINT id = text ? CF_UNICODETEXT : ::RegisterClipboardFormatW(format.c_str());
    if (!id) return 2;
    if (!OpenWithRetry()) return 2;
    std::string bytes;
    int result = 1;
    if (HANDLE h = ::GetClipboardData(id)) {
        if (const void* p = ::GlobalLock(h)) {
            const size_t size = ::GlobalSize(h);
            if (text) {
                const auto* w = static_cast<const wchar_t*>(p);
                const int units = int(wcsnlen(w, size / sizeof(wchar_t)));
                const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, units, nullptr, 0, nullptr, nullptr);
                bytes.resize(size_t(n));
                ::WideCharToMultiByte(CP_UTF8, 0, w, units, bytes.data(), n, nullptr, nullptr);
            } else {
                bytes.assign(static_cast<const char*>(p), size);
            }
            ::GlobalUnlock(h);
            result = 0;
        }
    }
    ::CloseClipboard();
    if (result != 0) return result;
    FILE* f = _wfopen(out.c_str(), L"wb");
    if (!f) return 2;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return 0;
}

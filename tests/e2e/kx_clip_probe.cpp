// The clipboard as a user's other programs see it, for the clipboard tests:
// puts a text beside a private registered format of arbitrary bytes, or a
// bitmap, on the clipboard; checks that the clipboard holds them again; and
// watches the clipboard as a history tool does, reading the text of every
// change.
//
//   kx_clip_probe.exe put --text TEXT [--format NAME --hex BYTES]
//   kx_clip_probe.exe put-bitmap --width W --height H --seed N
//   kx_clip_probe.exe expect --text TEXT [--format NAME --hex BYTES] [--within MS]
//   kx_clip_probe.exe expect-bitmap --width W --height H --seed N [--within MS]
//   kx_clip_probe.exe watch --out PATH --stop-file PATH [--honour-exclusion 1]
//   kx_clip_probe.exe read-text
//   kx_clip_probe.exe save --format NAME --out PATH
//
// "expect" polls until the clipboard holds exactly the text (and, when
// given, the format with exactly those bytes) or MS milliseconds passed
// (default 0: one look), and then exits 0, or 1 with what it found on
// standard output. "watch" writes "ready", then for every change
// "update MICROSECONDS TEXT" (the time on the performance counter, the
// text's first 40 characters) until the stop file appears, then "end N".
// With --honour-exclusion it does what clipboard history does: a change that
// holds "ExcludeClipboardContentFromMonitorProcessing" is not read, and is
// written as "update MICROSECONDS <excluded>".
// "read-text" opens the clipboard with a message-only window of its own, as
// a browser's process does for its pages, and prints the text as UTF-8 (a
// target pastes what it prints). "save" writes one format to the file byte for byte, or with
// NAME "text" the text as UTF-8 (exit 1 when the clipboard lacks it).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/win32_tool.h"

namespace {

using namespace testprog;

std::string FromHex(const std::wstring& hex) {
    std::string b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) b.push_back(char(std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    return b;
}

bool PutBlock(UINT format, const void* data, size_t size) {
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!h) return false;
    std::memcpy(::GlobalLock(h), data, size);
    ::GlobalUnlock(h);
    if (::SetClipboardData(format, h)) return true;
    ::GlobalFree(h);
    return false;
}

// A pattern no two seeds share, with every byte of a pixel in use.
std::vector<DWORD> Pattern(const Args& a) {
    std::vector<DWORD> px(size_t(a.Int(L"--width")) * size_t(a.Int(L"--height")));
    unsigned v = 2166136261u ^ unsigned(a.Int(L"--seed"));
    for (DWORD& p : px) {
        v = v * 16777619u + 0x9E3779B9u;
        p = v & 0xFFFFFF;
    }
    return px;
}

BITMAPINFO Info(const Args& a) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, a.Int(L"--width"), -a.Int(L"--height"), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

// Empties the clipboard and puts the text and format, or the bitmap, there.
int Put(const Args& a, bool bitmap) {
    HBITMAP b = nullptr;
    if (bitmap) {
        const std::vector<DWORD> px = Pattern(a);
        BITMAPINFO info = Info(a);
        HDC dc = ::GetDC(nullptr);
        b = ::CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, px.data(), &info, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, dc);
        if (!b) return 2;
    }
    if (!OpenClipboardWithRetry(nullptr)) return 2;
    ::EmptyClipboard();
    bool ok;
    if (bitmap) {
        ok = ::SetClipboardData(CF_BITMAP, b) != nullptr;
        if (!ok) ::DeleteObject(b);
    } else {
        const std::wstring text = a.Get(L"--text");
        ok = PutBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        if (a.Has(L"--format")) {
            const std::string bytes = FromHex(a.Get(L"--hex"));
            ok = PutBlock(::RegisterClipboardFormatW(a.Get(L"--format").c_str()), bytes.data(), bytes.size()) && ok;
        }
    }
    ::CloseClipboard();
    return ok ? 0 : 2;
}

// One look at the clipboard; `found` says what was there when it differs.
bool Holds(const Args& a, std::string& found) {
    if (!OpenClipboardWithRetry(nullptr)) {
        found = "clipboard busy";
        return false;
    }
    if (a.Has(L"--text")) {
        const std::wstring text = TextOfBytes(ClipboardBytes(CF_UNICODETEXT));
        if (text != a.Get(L"--text")) found += "text \"" + Utf8(text) + "\" ";
    }
    if (a.Has(L"--format")) {
        const std::string got = ClipboardBytes(::RegisterClipboardFormatW(a.Get(L"--format").c_str()));
        if (got != FromHex(a.Get(L"--hex"))) found += "format of " + std::to_string(got.size()) + " other bytes ";
    }
    if (a.Int(L"--width") > 0) {
        const int width = a.Int(L"--width"), height = a.Int(L"--height");
        std::vector<DWORD> px(size_t(width) * size_t(height));
        HBITMAP b = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
        BITMAP bm{};
        if (!b || !::GetObjectW(b, sizeof bm, &bm) || bm.bmWidth != width || bm.bmHeight != height) {
            found += "no bitmap of that size ";
        } else {
            BITMAPINFO info = Info(a);
            HDC dc = ::GetDC(nullptr);
            ::GetDIBits(dc, b, 0, UINT(height), px.data(), &info, DIB_RGB_COLORS);
            ::ReleaseDC(nullptr, dc);
            const std::vector<DWORD> want = Pattern(a);
            size_t differ = 0;
            for (size_t i = 0; i < px.size(); ++i) differ += (px[i] & 0xFFFFFF) != want[i];
            if (differ) found += std::to_string(differ) + " pixels differ ";
        }
    }
    ::CloseClipboard();
    return found.empty();
}

int Expect(const Args& a) {
    const DWORD start = ::GetTickCount();
    std::string found;
    for (;;) {
        found.clear();
        if (Holds(a, found)) return 0;
        if (::GetTickCount() - start >= DWORD(a.Int(L"--within"))) break;
        ::Sleep(20);
    }
    std::printf("found: %s\n", found.c_str());
    return 1;
}

int Watch(const Args& a) {
    FILE* out = _wfopen(a.Get(L"--out").c_str(), L"wb");
    HWND w = MessageWindow(L"kx_clip_probe");
    if (!out || !w || !::AddClipboardFormatListener(w)) return 2;
    std::fputs("ready\n", out);
    std::fflush(out);
    ::SetTimer(w, 1, 50, nullptr);
    const bool honourExclusion = a.Get(L"--honour-exclusion") == L"1";
    const UINT exclusion = ::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    int updates = 0;
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER) {
            if (Exists(a.Get(L"--stop-file"))) break;
            continue;
        }
        if (m.message != WM_CLIPBOARDUPDATE) {
            ::DispatchMessageW(&m);
            continue;
        }
        const long long t = Microseconds();
        ++updates;
        std::string text = "<excluded>";
        if (!honourExclusion || !::IsClipboardFormatAvailable(exclusion)) {
            // Read as a history tool would, with a window of its own.
            text.clear();
            if (::OpenClipboard(w)) {
                text = Utf8(TextOfBytes(ClipboardBytes(CF_UNICODETEXT)).substr(0, 40));
                ::CloseClipboard();
            }
        }
        std::fprintf(out, "update %lld %s\n", t, text.c_str());
        std::fflush(out);
    }
    ::RemoveClipboardFormatListener(w);
    std::fprintf(out, "end %d\n", updates);
    std::fclose(out);
    return 0;
}

int ReadText() {
    HWND w = MessageWindow(L"kx_clip_probe");
    if (!w || !OpenClipboardWithRetry(w)) return 2;
    const std::string u = Utf8(TextOfBytes(ClipboardBytes(CF_UNICODETEXT)));
    ::CloseClipboard();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), u.data(), DWORD(u.size()), &written, nullptr);
    return 0;
}

int Save(const Args& a) {
    const bool text = a.Get(L"--format") == L"text";
    const UINT id = text ? CF_UNICODETEXT : ::RegisterClipboardFormatW(a.Get(L"--format").c_str());
    if (!id || !OpenClipboardWithRetry(nullptr)) return 2;
    const bool held = ::IsClipboardFormatAvailable(id);
    std::string bytes = ClipboardBytes(id);
    if (text) bytes = Utf8(TextOfBytes(bytes));
    ::CloseClipboard();
    if (!held) return 1;
    return WriteWhole(a.Get(L"--out"), bytes) ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const Args a(argc, argv, 2);
    if (command == L"put" || command == L"put-bitmap") return Put(a, command == L"put-bitmap");
    if (command == L"expect" || command == L"expect-bitmap") return Expect(a);
    if (command == L"watch") return Watch(a);
    if (command == L"read-text") return ReadText();
    if (command == L"save") return Save(a);
    std::fprintf(stderr, "usage: kx_clip_probe put|put-bitmap|expect|expect-bitmap|watch|read-text|save ...\n");
    return 2;
}

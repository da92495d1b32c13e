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
//   kx_clip_probe.exe window-text --title TITLE --out PATH
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
// "window-text" writes, as UTF-8, the text of the first Edit control in the
// top-level window of that title (notepad's page). "read-text" opens the
// clipboard with a message-only window of its own, as a browser's process
// does for its pages, and prints the text as UTF-8 (a target pastes what
// it prints). "save" writes one format to the file byte for byte, or with
// NAME "text" the text as UTF-8 (exit 1 when the clipboard lacks it).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Args {
    std::wstring command, text, format, hex, out, stopFile, title;
    int width = 0, height = 0, seed = 0;
    DWORD withinMs = 0;
    bool hasText = false;
    bool honourExclusion = false;
};

Args Parse(int argc, wchar_t** argv) {
    Args a;
    if (argc > 1) a.command = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring k = argv[i], v = argv[i + 1];
        if (k == L"--text") a.text = v, a.hasText = true;
        else if (k == L"--format") a.format = v;
        else if (k == L"--hex") a.hex = v;
        else if (k == L"--out") a.out = v;
        else if (k == L"--stop-file") a.stopFile = v;
        else if (k == L"--title") a.title = v;
        else if (k == L"--width") a.width = _wtoi(v.c_str());
        else if (k == L"--height") a.height = _wtoi(v.c_str());
        else if (k == L"--seed") a.seed = _wtoi(v.c_str());
        else if (k == L"--within") a.withinMs = DWORD(_wtoi(v.c_str()));
        else if (k == L"--honour-exclusion") a.honourExclusion = v == L"1";
    }
    return a;
}

Bytes FromHex(const std::wstring& hex) {
    Bytes b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) b.push_back((unsigned char)std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return b;
}

std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

bool OpenWithRetry(HWND owner) {
    for (int attempt = 0; attempt < 80; ++attempt) {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(25);
    }
    return false;
}

// A format's bytes as the open clipboard holds them (none when it lacks it),
// and CF_UNICODETEXT's text up to its terminator.
Bytes Block(UINT format) {
    Bytes b;
    if (HANDLE h = ::GetClipboardData(format)) {
        if (const auto* p = static_cast<const unsigned char*>(::GlobalLock(h))) {
            b.assign(p, p + ::GlobalSize(h));
            ::GlobalUnlock(h);
        }
    }
    return b;
}

std::wstring Text() {
    const Bytes b = Block(CF_UNICODETEXT);
    std::wstring t(b.size() / sizeof(wchar_t), L'\0');
    std::memcpy(t.data(), b.data(), t.size() * sizeof(wchar_t));
    t.resize(wcsnlen(t.c_str(), t.size()));
    return t;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0;
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
std::vector<DWORD> Pattern(int width, int height, int seed) {
    std::vector<DWORD> px(size_t(width) * size_t(height));
    unsigned v = 2166136261u ^ unsigned(seed);
    for (DWORD& p : px) {
        v = v * 16777619u + 0x9E3779B9u;
        p = v & 0xFFFFFF;
    }
    return px;
}

BITMAPINFO Info(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

int Put(const Args& a) {
    if (!OpenWithRetry(nullptr)) return 2;
    ::EmptyClipboard();
    bool ok = PutBlock(CF_UNICODETEXT, a.text.c_str(), (a.text.size() + 1) * sizeof(wchar_t));
    if (!a.format.empty()) {
        const Bytes b = FromHex(a.hex);
        ok = PutBlock(::RegisterClipboardFormatW(a.format.c_str()), b.data(), b.size()) && ok;
    }
    ::CloseClipboard();
    return ok ? 0 : 2;
}

int PutBitmap(const Args& a) {
    const std::vector<DWORD> px = Pattern(a.width, a.height, a.seed);
    BITMAPINFO info = Info(a.width, a.height);
    HDC dc = ::GetDC(nullptr);
    HBITMAP b = ::CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, px.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    if (!b || !OpenWithRetry(nullptr)) return 2;
    ::EmptyClipboard();
    const bool ok = ::SetClipboardData(CF_BITMAP, b) != nullptr;
    if (!ok) ::DeleteObject(b);
    ::CloseClipboard();
    return ok ? 0 : 2;
}

// One look at the clipboard; `found` says what was there when it differs.
bool Holds(const Args& a, std::string& found) {
    if (!OpenWithRetry(nullptr)) {
        found = "clipboard busy";
        return false;
    }
    bool ok = true;
    if (a.hasText) {
        const std::wstring text = Text();
        if (text != a.text) ok = false, found += "text \"" + Utf8(text) + "\" ";
    }
    if (!a.format.empty()) {
        const Bytes got = Block(::RegisterClipboardFormatW(a.format.c_str()));
        if (got != FromHex(a.hex)) ok = false, found += "format of " + std::to_string(got.size()) + " other bytes ";
    }
    if (a.width > 0) {
        std::vector<DWORD> px(size_t(a.width) * size_t(a.height));
        HBITMAP b = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
        BITMAP bm{};
        if (!b || !::GetObjectW(b, sizeof bm, &bm) || bm.bmWidth != a.width || bm.bmHeight != a.height) {
            ok = false, found += "no bitmap of that size ";
        } else {
            BITMAPINFO info = Info(a.width, a.height);
            HDC dc = ::GetDC(nullptr);
            ::GetDIBits(dc, b, 0, UINT(a.height), px.data(), &info, DIB_RGB_COLORS);
            ::ReleaseDC(nullptr, dc);
            const std::vector<DWORD> want = Pattern(a.width, a.height, a.seed);
            size_t differ = 0;
            for (size_t i = 0; i < px.size(); ++i) differ += (px[i] & 0xFFFFFF) != want[i];
            if (differ) ok = false, found += std::to_string(differ) + " pixels differ ";
        }
    }
    ::CloseClipboard();
    return ok;
}

int Expect(const Args& a) {
    const DWORD start = ::GetTickCount();
    std::string found;
    for (;;) {
        found.clear();
        if (Holds(a, found)) return 0;
        if (::GetTickCount() - start >= a.withinMs) break;
        ::Sleep(20);
    }
    std::printf("found: %s\n", found.c_str());
    return 1;
}

long long Microseconds() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        ::QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / f.QuadPart;
}

int Watch(const Args& a) {
    FILE* out = _wfopen(a.out.c_str(), L"wb");
    if (!out) return 2;
    HWND w = ::CreateWindowExW(0, L"STATIC", L"kx_clip_probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!w || !::AddClipboardFormatListener(w)) return 2;
    std::fputs("ready\n", out);
    std::fflush(out);
    ::SetTimer(w, 1, 50, nullptr);
    int updates = 0;
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER) {
            if (::GetFileAttributesW(a.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
            continue;
        }
        if (m.message != WM_CLIPBOARDUPDATE) {
            ::DispatchMessageW(&m);
            continue;
        }
        const long long t = Microseconds();
        ++updates;
        static const UINT exclusion = ::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
        if (a.honourExclusion && ::IsClipboardFormatAvailable(exclusion)) {
            std::fprintf(out, "update %lld <excluded>\n", t);
            std::fflush(out);
            continue;
        }
        // Read as a history tool would, with a window of its own.
        std::wstring text;
        if (::OpenClipboard(w)) {
            text = Text().substr(0, 40);
            ::CloseClipboard();
        }
        std::fprintf(out, "update %lld %s\n", t, Utf8(text).c_str());
        std::fflush(out);
    }
    ::RemoveClipboardFormatListener(w);
    std::fprintf(out, "end %d\n", updates);
    std::fclose(out);
    return 0;
}

int ReadText() {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"kx_clip_probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!w || !OpenWithRetry(w)) return 2;
    const std::string u = Utf8(Text());
    ::CloseClipboard();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), u.data(), DWORD(u.size()), &written, nullptr);
    return 0;
}

int WindowText(const Args& a) {
    HWND top = ::FindWindowW(nullptr, a.title.c_str());
    HWND edit = top ? ::FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit) return 1;
    const LRESULT n = ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(size_t(n) + 1, L'\0');
    ::SendMessageW(edit, WM_GETTEXT, WPARAM(n + 1), LPARAM(text.data()));
    text.resize(size_t(n));
    return WriteAll(a.out, Utf8(text)) ? 0 : 2;
}

int Save(const Args& a) {
    const bool text = a.format == L"text";
    const UINT id = text ? CF_UNICODETEXT : ::RegisterClipboardFormatW(a.format.c_str());
    if (!id || !OpenWithRetry(nullptr)) return 2;
    const bool held = ::IsClipboardFormatAvailable(id);
    const Bytes b = Block(id);
    const std::string bytes = text ? Utf8(Text()) : std::string(b.begin(), b.end());
    ::CloseClipboard();
    if (!held) return 1;
    return WriteAll(a.out, bytes) ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args a = Parse(argc, argv);
    if (a.command == L"put") return Put(a);
    if (a.command == L"put-bitmap") return PutBitmap(a);
    if (a.command == L"expect" || a.command == L"expect-bitmap") return Expect(a);
    if (a.command == L"watch") return Watch(a);
    if (a.command == L"window-text") return WindowText(a);
    if (a.command == L"read-text") return ReadText();
    if (a.command == L"save") return Save(a);
    std::fprintf(stderr, "usage: kx_clip_probe put|put-bitmap|expect|expect-bitmap|watch|window-text|read-text|save ...\n");
    return 2;
}

// What the small Win32 programs of the Wine suites share: their "--name
// value" arguments, UTF-8 for the files and pipes the suites read, a file
// written whole, the clipboard read in one opening, a window's text.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>

namespace testprog {

// "--name value" pairs from argv[first] on; the names in `flags` take no value.
struct Args : std::map<std::wstring, std::wstring> {
    Args(int argc, wchar_t** argv, int first, std::initializer_list<std::wstring> flags = {}) {
        for (int i = first; i < argc; ++i) {
            if (std::find(flags.begin(), flags.end(), argv[i]) != flags.end()) (*this)[argv[i]] = L"1";
            else if (i + 1 < argc) (*this)[argv[i]] = argv[i + 1], ++i;
        }
    }
    bool Has(const std::wstring& name) const { return count(name) != 0; }
    std::wstring Get(const std::wstring& name, const std::wstring& fallback = L"") const {
        return Has(name) ? at(name) : fallback;
    }
    int Int(const std::wstring& name, int fallback = 0) const { return Has(name) ? _wtoi(at(name).c_str()) : fallback; }
};

// A top-level window of a class of its own.
inline HWND MakeWindow(const wchar_t* cls, const wchar_t* title, WNDPROC proc, DWORD style = 0, RECT at = {},
                       HMENU menu = nullptr, void* param = nullptr) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls;
    if (!::RegisterClassW(&wc)) return nullptr;
    return ::CreateWindowExW(0, cls, title, style, at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr,
                             menu, wc.hInstance, param);
}

inline std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

inline std::wstring Wide(const std::string& s) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

// The performance counter in microseconds, the clock the latency logs share.
inline long long Microseconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart / frequency.QuadPart * 1000000 + now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

// Written beside and renamed, so a reader never sees half a file.
inline bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0 && ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

inline bool Exists(const std::wstring& path) {
    return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file of this program's folder.
inline std::wstring BesideExe(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring p(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return p.substr(0, p.find_last_of(L"\\/") + 1) + name;
}

// Another program may hold the clipboard for a moment; two seconds is not a moment.
inline bool OpenClipboardWithRetry(HWND owner) {
    for (int attempt = 0; attempt < 80; ++attempt) {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(25);
    }
    return false;
}

// A format's bytes as the open clipboard holds them (none when it lacks it).
inline std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (HANDLE h = ::GetClipboardData(format)) {
        if (const auto* p = static_cast<const char*>(::GlobalLock(h))) {
            bytes.assign(p, ::GlobalSize(h));
            ::GlobalUnlock(h);
        }
    }
    return bytes;
}

// CF_UNICODETEXT's bytes as text, up to the terminator.
inline std::wstring TextOfBytes(const std::string& bytes) {
    std::wstring w(bytes.size() / sizeof(wchar_t), L'\0');
    std::copy(bytes.begin(), bytes.begin() + std::ptrdiff_t(w.size() * sizeof(wchar_t)), reinterpret_cast<char*>(w.data()));
    return w.substr(0, w.find(L'\0'));
}

// A window's text, all of it. WM_GETTEXT, as GetWindowText does not ask a
// window of another process.
inline std::wstring WindowText(HWND w) {
    std::wstring text(size_t(::SendMessageW(w, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(::SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

inline HWND MessageWindow(const wchar_t* title) {
    return ::CreateWindowExW(0, L"STATIC", title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

}  // namespace testprog

// The program holds text as UTF-16 in std::u16string; Win32 takes wchar_t,
// which on Windows is the same 16-bit unit.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kx {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string U(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }
inline std::u16string U(const wchar_t* s) { return s ? U(std::wstring_view(s)) : std::u16string(); }

// The whole text of a window or control.
inline std::wstring WindowText(HWND w) {
    const int n = ::GetWindowTextLengthW(w);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(::GetWindowTextW(w, s.data(), n + 1)));
    return s;
}

// The folder of this program, ending in a backslash.
inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

}  // namespace kx

// What the Windows tests share: paths into the build, a wait that keeps this
// thread's windows answering, and windows of a class of the test's own.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/handles.h"

namespace kx::test {

// A build path as Wine names it (the Z: drive is the Linux root).
inline std::wstring WinPath(std::string_view unixPath) {
    std::wstring w = L"Z:";
    for (char c : unixPath) w += (c == '/') ? L'\\' : wchar_t(c);
    return w;
}

// Waits up to `ms` for `pred`, dispatching this thread's messages meanwhile.
template <typename Pred>
bool Within(DWORD ms, Pred pred) {
    for (const ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() < end; ::Sleep(10)) {
        if (pred()) return true;
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
    }
    return pred();
}

// A top-level window of class `name`, whose messages go to `proc`.
inline UniqueWindow OwnWindow(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
    return UniqueWindow(::CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
}

}  // namespace kx::test

// What the Windows tests share: paths into the build, a wait that keeps this
// thread's windows answering, windows of a class of the test's own, and the
// focus the hook link and the suspend rules read.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "engine/hooklink/suspend_rules.h"
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

// The focus as a probe describes it; `onDescribe` runs as the next caller looks.
class FakeFocus final : public FocusProbe {
public:
    FocusDescription Describe() override {
        if (onDescribe) std::exchange(onDescribe, nullptr)();
        std::lock_guard<std::mutex> g(lock);
        return d;
    }
    void Set(FocusDescription next) {
        std::lock_guard<std::mutex> g(lock);
        d = std::move(next);
    }
    std::mutex lock;
    FocusDescription d{0x200, u"Edit", 0, 1, 2};
    std::function<void()> onDescribe;
};

}  // namespace kx::test

#include "app/lifecycle/single_instance.h"

#include "app/lifecycle/command_line_block.h"

namespace kx {
namespace {

constexpr DWORD kMutexBudgetMs = 20000;
constexpr DWORD kRetryPauseMs = 50;

// Lets a copy started without elevation reach an elevated one.
void AllowCopyDataFromLowerLevels() {
    using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto fn = user32 ? reinterpret_cast<FilterFn>(
                           reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilter")))
                     : nullptr;
    if (fn) fn(WM_COPYDATA, 1 /* MSGFLT_ADD */);
}

}  // namespace

void StartupMutex::Take() {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        mutex_.Reset(::CreateMutexW(nullptr, FALSE, L"Global\\KestrixStarting"));
        if (mutex_ || ::GetLastError() != ERROR_ACCESS_DENIED) break;
        if (::GetTickCount64() - start >= kMutexBudgetMs) return;
        ::Sleep(kRetryPauseMs);
    }
    if (!mutex_) return;
    const ULONGLONG spent = ::GetTickCount64() - start;
    const DWORD left = spent >= kMutexBudgetMs ? 0 : DWORD(kMutexBudgetMs - spent);
    const DWORD result = ::WaitForSingleObject(mutex_.Get(), left);
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void StartupMutex::Release() {
    if (owned_) ::ReleaseMutex(mutex_.Get());
    owned_ = false;
    mutex_.Reset();
}

HWND FindRunningInstance() { return ::FindWindowW(kInstanceWindowClass, kInstanceWindowTitle); }

bool ForwardCommandLine(HWND instance, const std::vector<std::u16string>& args) {
    std::vector<uint8_t> block = EncodeCommandLineBlock(args);
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = DWORD(block.size());
    data.lpData = block.data();
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 30000,
                                 &result) != 0;
}

bool InstanceWindow::Create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kInstanceWindowClass;
    ::RegisterClassExW(&wc);
    window_.Reset(::CreateWindowExW(0, kInstanceWindowClass, kInstanceWindowTitle, 0, 0, 0, 0, 0, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    AllowCopyDataFromLowerLevels();
    return static_cast<bool>(window_);
}

void InstanceWindow::SetMainWindow(HWND main) {
    ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(main));
}

LRESULT CALLBACK InstanceWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        HWND main = reinterpret_cast<HWND>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return main ? ::SendMessageW(main, WM_COPYDATA, wParam, lParam) : FALSE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kx

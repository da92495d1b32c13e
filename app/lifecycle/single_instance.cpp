#include "app/lifecycle/single_instance.h"

#include "app/lifecycle/command_line_block.h"
#include "engine/hooklink/named_objects_win32.h"
#include "engine/hooklink/object_trust.h"

namespace kx {
namespace {

constexpr DWORD kMutexBudgetMs = 20000;
constexpr DWORD kRetryPauseMs = 50;

// Lets a copy started without elevation reach an elevated one, on this one
// window only. The process-wide filter would open every window, the hook
// link's among them, to records from sandboxed programs; per window, the
// worst a lower level can send here is a command line, which is checked.
void AllowCopyDataFromLowerLevels(HWND window) {
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto fn = user32 ? reinterpret_cast<FilterFn>(
                           reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                     : nullptr;
    if (fn) fn(window, WM_COPYDATA, 1 /* MSGFLT_ALLOW */, nullptr);
}

std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

void StartupMutex::Take() {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD error = 0;
        mutex_.Reset(CreateOwnMutex(L"Local\\KestrixStarting", error));
        if (mutex_ || error != ERROR_ACCESS_DENIED) break;
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

HWND FindRunningInstance() {
    // Any program can make a window of our class and title, and would then
    // receive our command line; only our own program's window counts.
    const std::u16string own = U16(OwnImage());
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, kInstanceWindowClass, kInstanceWindowTitle)) != nullptr)
        if (IsSameImage(U16(WindowImage(window)), own)) return window;
    return nullptr;
}

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
    if (window_ && OpensCopyDataToLowerLevels(CopyDataWindow::Instance, RunsElevated()))
        AllowCopyDataFromLowerLevels(window_.Get());
    return static_cast<bool>(window_);
}

void InstanceWindow::SetMainWindow(HWND main) {
    ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(main));
}

LRESULT CALLBACK InstanceWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        HWND main = reinterpret_cast<HWND>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return main && lParam ? ::SendMessageW(main, WM_COPYDATA, wParam, lParam) : FALSE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kx

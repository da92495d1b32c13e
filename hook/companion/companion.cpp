#include "hook/companion/companion.h"

#include <cstring>
#include <cwchar>

#include "engine/hooklink/hook_protocol.h"
#include "engine/hooklink/hook_record.h"
#include "engine/hooklink/named_mutex_win32.h"

namespace kx::companion {
namespace {

using namespace hookproto;

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kForwardTimeoutMs = 2000;

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

}  // namespace

Options ParseCommandLine(const wchar_t* commandLine) {
    Options o;
    if (const wchar_t* tick = commandLine ? std::wcsstr(commandLine, L"--tick-ms ") : nullptr) {
        const unsigned long ms = std::wcstoul(tick + 10, nullptr, 10);
        if (ms > 0) o.tickMs = UINT(ms);
    }
    return o;
}

int Companion::Run(const Options& options) {
    info_ = SharedBlock::Open(kHook64Info, kHook64InfoSize);
    signal_ = SharedBlock::Open(kCompanionSignal, 1);
    pid_ = SharedBlock::Open(kCompanionHandle, sizeof(LONG));
    appWindow_ = SharedBlock::Open(kCompanionWindow, sizeof(LONG64));
    if (!info_.Valid() || !signal_.Valid() || !pid_.Valid() || !appWindow_.Valid()) return 2;
    ::InterlockedExchange(reinterpret_cast<volatile LONG*>(pid_.Data()), LONG(::GetCurrentProcessId()));

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassW(&wc)) return 2;
    window_ = ::CreateWindowExW(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, this);
    if (!window_) return 2;

    int result = 0;
    if (!module_.Load(OwnFolder() + kModuleName) || !module_.SetHooks(window_)) {
        result = 2;
    } else {
        ::SetTimer(window_, kTickTimer, options.tickMs, nullptr);
        MSG m;
        while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
        module_.UnSetHooks(window_);
    }
    module_.Free();
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    // Whoever starts the next companion finds the liveness byte at 0, also
    // when this one could not set up.
    NamedMutexLock lock = NamedMutexLock::Take(kCompanionSignalMutex, kMutexBudgetMs);
    *signal_.Data() = kSignalNone;
    ::InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(pid_.Data()), 0, LONG(::GetCurrentProcessId()));
    return result;
}

bool Companion::CountDown() {
    NamedMutexLock lock = NamedMutexLock::Take(kCompanionSignalMutex, kMutexBudgetMs);
    volatile uint8_t& signal = *signal_.Data();
    if (signal > 0) signal = uint8_t(signal - 1);
    return signal > 0;
}

LRESULT Companion::OnRecord(const COPYDATASTRUCT* data) {
    if (!data || ParseHookRecord(data->dwData, data->lpData, data->cbData).kind == HookRecordKind::Refused) return -1;
    // The program reads only key events from the block; a discard record is
    // announced by its type alone.
    if (data->dwData == kRecordKeyEvent) std::memcpy(info_.Data(), data->lpData, kHook64InfoSize);
    const auto target = static_cast<uintptr_t>(*reinterpret_cast<volatile LONG64*>(appWindow_.Data()));
    HWND app = reinterpret_cast<HWND>(target);
    if (!app || !::IsWindow(app)) return 0;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(app, kCompanionRecord, data->dwData, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                          kForwardTimeoutMs, &ignored);
    return 0;
}

LRESULT CALLBACK Companion::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Companion*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_COPYDATA:
            return self->OnRecord(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_CLOSE:
            // The program is going: end as when the liveness byte runs out,
            // so the module's held keys are replayed before the hooks go.
            ::PostQuitMessage(0);
            return 0;
        case WM_TIMER:
            if (wParam == kTickTimer && !self->CountDown()) ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace kx::companion

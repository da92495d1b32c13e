#include "platform/win32/clipboard_keeper_win32.h"

#include "platform/win32/clipboard_win32.h"

namespace kx {
namespace {

constexpr wchar_t kClassName[] = L"LClipboardKeeperClass";
constexpr uint32_t kStartLimitMs = 5000;

}  // namespace

ClipboardKeeper::ClipboardKeeper() {
    if (Start(ThreadPriority::AboveNormal)) ready_.Wait(kStartLimitMs);
}

ClipboardKeeper::~ClipboardKeeper() {
    if (HWND w = window_.load()) ::PostMessageW(w, WM_CLOSE, 0, 0);
    else RequestStop();
    Stop();
}

void ClipboardKeeper::Provide(std::vector<ClipFormat> formats, WindowHandle target) {
    DWORD process = 0;
    if (target) ::GetWindowThreadProcessId(reinterpret_cast<HWND>(target), &process);
    std::lock_guard<std::mutex> g(lock_);
    formats_ = std::move(formats);
    targetProcess_ = process;
    targetAsked_ = false;
    pasteSent_ = false;
    renderedBefore_ = false;
    requests_ = 0;
    requested_.Reset();
}

void ClipboardKeeper::PasteSent() {
    std::lock_guard<std::mutex> g(lock_);
    pasteSent_ = true;
}

bool ClipboardKeeper::WaitForRequest(uint32_t ms) {
    {
        std::lock_guard<std::mutex> g(lock_);
        if (!pasteSent_) return false;
        if (renderedBefore_) return true;
    }
    return requested_.Wait(ms);
}

uint32_t ClipboardKeeper::Requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
}

bool ClipboardKeeper::TargetAsked() {
    std::lock_guard<std::mutex> g(lock_);
    return targetAsked_;
}

void ClipboardKeeper::Withdraw() {
    std::lock_guard<std::mutex> g(lock_);
    pasteSent_ = false;
    renderedBefore_ = false;
    requested_.Reset();
}

bool ClipboardKeeper::StillOffered() {
    std::lock_guard<std::mutex> g(lock_);
    return !formats_.empty();
}

void ClipboardKeeper::Render(HWND window, unsigned format) {
    std::lock_guard<std::mutex> g(lock_);
    // WM_RENDERFORMAT: the owner places the data with SetClipboardData and
    // does not open the clipboard, which the program asking holds open.
    // Whoever asks gets it. Windows sends no further request for a format
    // once it is rendered, so a program that read it before the paste keys
    // (a viewer reacting to the change) leaves the target's read unseen.
    Win32Clipboard clipboard;
    bool offered = false;
    for (const ClipFormat& f : formats_) {
        if (f.format != format) continue;
        offered = true;
        clipboard.SetData(f.format, f.bytes);
    }
    // Our own opening, saving the clipboard for the next expansion, is
    // nobody's read (GetOpenClipboardWindow names the window that opened it).
    HWND opener = ::GetOpenClipboardWindow();
    if (!offered || opener == window) return;
    ++requests_;
    if (!pasteSent_) {
        renderedBefore_ = true;
        return;
    }
    requested_.Set();
    DWORD process = 0;
    if (opener) ::GetWindowThreadProcessId(opener, &process);
    if (process && process == targetProcess_) targetAsked_ = true;
}

void ClipboardKeeper::RenderAll(HWND window) {
    if (!::OpenClipboard(window)) return;
    if (::GetClipboardOwner() == window) {
        std::lock_guard<std::mutex> g(lock_);
        Win32Clipboard clipboard;
        for (const ClipFormat& f : formats_) clipboard.SetData(f.format, f.bytes);
    }
    ::CloseClipboard();
}

LRESULT CALLBACK ClipboardKeeper::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ClipboardKeeper*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_RENDERFORMAT:
        if (self) self->Render(window, unsigned(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        if (self) self->RenderAll(window);
        return 0;
    case WM_DESTROYCLIPBOARD:
        // Someone emptied the clipboard: what we offered is gone.
        if (self) {
            std::lock_guard<std::mutex> g(self->lock_);
            self->formats_.clear();
        }
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ClipboardKeeper::RunWorker() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc);  // fails harmlessly when a keeper ran before
    HWND w = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (w) ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = w;
    ready_.Set();
    if (!w) return;
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
    window_ = nullptr;
}

}  // namespace kx

#include "app/shell/foreground_watch.h"

#include <iterator>
#include <string_view>

namespace kx {
namespace {

ForegroundWatch* g_watch = nullptr;

}  // namespace

bool IsShellWindow(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(::GetAncestor(window, GA_ROOT), name, int(std::size(name)));
    const std::wstring_view cls = name;
    return cls == L"Shell_TrayWnd" || cls == L"Shell_SecondaryTrayWnd" || cls == L"NotifyIconOverflowWindow" ||
           cls == L"Progman" || cls == L"WorkerW";
}

bool ForegroundWatch::Start(std::function<void(HWND)> changed) {
    if (hook_ || g_watch) return false;
    // Out of context: the callback runs on this thread, from its message
    // loop, and no code of ours is loaded into other programs for it
    // (documentation of SetWinEventHook).
    hook_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &OnEvent, 0, 0,
                              WINEVENT_OUTOFCONTEXT);
    if (!hook_) return false;
    g_watch = this;
    changed_ = std::move(changed);
    Seen(::GetForegroundWindow());
    return true;
}

void ForegroundWatch::Stop() {
    if (!hook_) return;
    ::UnhookWinEvent(hook_);
    hook_ = nullptr;
    g_watch = nullptr;
    changed_ = nullptr;
}

HWND ForegroundWatch::WorkWindow() const {
    HWND front = ::GetForegroundWindow();
    if (front && !IsShellWindow(front)) return front;
    return lastWork_ && ::IsWindow(lastWork_) ? lastWork_ : nullptr;
}

void ForegroundWatch::Seen(HWND window) {
    if (window && !IsShellWindow(window)) lastWork_ = window;
    if (changed_) changed_(window);
}

void CALLBACK ForegroundWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (event == EVENT_SYSTEM_FOREGROUND && object == OBJID_WINDOW && g_watch) g_watch->Seen(window);
}

}  // namespace kx

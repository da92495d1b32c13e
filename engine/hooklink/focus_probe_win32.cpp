#include "engine/hooklink/focus_probe_win32.h"

namespace kx {

FocusDescription DescribeFocus(HWND foreground) {
    FocusDescription d;
    d.ownProcessId = ::GetCurrentProcessId();
    if (!foreground) return d;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND focus = foreground;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(foreground, nullptr), &info) && info.hwndFocus)
        focus = info.hwndFocus;
    d.focusWindow = reinterpret_cast<uintptr_t>(focus);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(focus, &pid);
    d.processId = pid;
    wchar_t name[260] = {};
    const int n = ::GetClassNameW(focus, name, 260);
    d.className.assign(reinterpret_cast<const char16_t*>(name), n > 0 ? size_t(n) : 0);
    d.style = static_cast<uint32_t>(::GetWindowLongW(focus, GWL_STYLE));
    return d;
}

}  // namespace kx

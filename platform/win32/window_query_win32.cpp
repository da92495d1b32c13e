#include "platform/win32/window_query_win32.h"

#include <windows.h>

namespace kx {

WindowHandle Win32WindowQuery::Foreground() { return reinterpret_cast<WindowHandle>(::GetForegroundWindow()); }

std::u16string Win32WindowQuery::ClassName(WindowHandle window) {
    if (!window) return {};
    // 259 characters and the terminator, as every class-name rule reads them.
    wchar_t name[260] = {};
    const int n = ::GetClassNameW(reinterpret_cast<HWND>(window), name, 260);
    if (n <= 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name), size_t(n));
}

}  // namespace kx

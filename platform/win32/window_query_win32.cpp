#include "platform/win32/window_query_win32.h"

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

char16_t UnshiftedCharacter(uint32_t vk, HKL layout) {
    // MAPVK_VK_TO_CHAR: "an unshifted character value in the low order word
    // of the return value. Dead keys (diacritics) are indicated by setting
    // the top bit of the return value."
    return char16_t(::MapVirtualKeyExW(vk, MAPVK_VK_TO_CHAR, layout) & 0xFFFF);
}

char16_t Win32WindowQuery::UnshiftedCharacter(WindowHandle window, uint32_t vk) {
    // GetKeyboardLayout takes a thread: each thread has its own input
    // language, and the key went to the window's thread. No window: ours.
    const DWORD thread = window ? ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr) : 0;
    return kx::UnshiftedCharacter(vk, ::GetKeyboardLayout(thread));
}

}  // namespace kx

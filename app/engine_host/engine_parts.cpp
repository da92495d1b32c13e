#include "app/engine_host/engine_parts.h"

namespace kx {

WindowHandle Win32WindowQuery::Foreground() { return reinterpret_cast<WindowHandle>(::GetForegroundWindow()); }

std::u16string Win32WindowQuery::ClassName(WindowHandle window) {
    wchar_t name[260] = {};
    const int n = ::GetClassNameW(reinterpret_cast<HWND>(window), name, 260);
    return std::u16string(name, name + (n > 0 ? n : 0));
}

bool LoadedModuleHooks::ModuleLoaded() { return !path_.empty() && ::GetModuleHandleW(path_.c_str()) != nullptr; }

void LoadedModuleHooks::EnableHook(int index, bool enable) {
    HMODULE module = ::GetModuleHandleW(path_.c_str());
    if (!module) return;
    using EnableHookFn = BOOLEAN(WINAPI*)(int, BOOL);
    auto fn = reinterpret_cast<EnableHookFn>(reinterpret_cast<void*>(::GetProcAddress(module, "EnableHook")));
    if (fn) fn(index, enable ? TRUE : FALSE);
}

}  // namespace kx

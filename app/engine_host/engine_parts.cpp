#include "app/engine_host/engine_parts.h"

namespace kx {

bool LoadedModuleHooks::ModuleLoaded() { return !path_.empty() && ::GetModuleHandleW(path_.c_str()) != nullptr; }

void LoadedModuleHooks::EnableHook(int index, bool enable) {
    HMODULE module = ::GetModuleHandleW(path_.c_str());
    if (!module) return;
    using EnableHookFn = BOOLEAN(WINAPI*)(int, BOOL);
    auto fn = reinterpret_cast<EnableHookFn>(reinterpret_cast<void*>(::GetProcAddress(module, "EnableHook")));
    if (fn) fn(index, enable ? TRUE : FALSE);
}

}  // namespace kx

#include "engine/hooklink/hook_module_win32.h"

#include "platform/win32/module_loading.h"

namespace kx {
namespace {

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return out != nullptr;
}

}  // namespace

bool HookModule::Load(const std::wstring& path) {
    Free();
    module_.Reset(LoadOwnModule(path));
    if (!module_) return false;
    HMODULE m = module_.Get();
    const bool all = Resolve(m, "GetDllVer", GetDllVer) & Resolve(m, "IsHooksSet", IsHooksSet) &
                     Resolve(m, "SetHooks", SetHooks) & Resolve(m, "UnSetHooks", UnSetHooks) &
                     Resolve(m, "IsHookEnabled", IsHookEnabled) & Resolve(m, "EnableHook", EnableHook);
    if (all) return true;
    Free();
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
}

void HookModule::Free() {
    GetDllVer = nullptr;
    IsHooksSet = nullptr;
    SetHooks = nullptr;
    UnSetHooks = nullptr;
    IsHookEnabled = nullptr;
    EnableHook = nullptr;
    module_.Reset();
}

}  // namespace kx

// The loaded hook module and its six exports.
#pragma once

#include <string>

#include "platform/win32/handles.h"

namespace kx {

// All take their arguments on the stack and clean it themselves; the
// results are one byte.
using GetDllVerFn = BOOLEAN(WINAPI*)();
using IsHooksSetFn = BOOLEAN(WINAPI*)();
using SetHooksFn = BOOLEAN(WINAPI*)(HWND);
using UnSetHooksFn = BOOLEAN(WINAPI*)(HWND);
using IsHookEnabledFn = BOOLEAN(WINAPI*)(int);
using EnableHookFn = BOOLEAN(WINAPI*)(int, BOOL);

class HookModule {
public:
    // Loads the library and resolves the exports by name. When one is
    // missing, the library is freed again and the last error is 127.
    bool Load(const std::wstring& path);
    void Free();
    bool Loaded() const { return static_cast<bool>(module_); }

    GetDllVerFn GetDllVer = nullptr;
    IsHooksSetFn IsHooksSet = nullptr;
    SetHooksFn SetHooks = nullptr;
    UnSetHooksFn UnSetHooks = nullptr;
    IsHookEnabledFn IsHookEnabled = nullptr;
    EnableHookFn EnableHook = nullptr;

private:
    UniqueModule module_;
};

}  // namespace kx
